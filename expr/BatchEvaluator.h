#pragma once

#include "expr/Program.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace Expr {

// Rows evaluated together; longer batches run block by block.
constexpr std::size_t kBatchRows = 256;

using TColumns = std::array<const double*, 8>;

// Per-block state of the batch evaluation: each slot either holds one value
// for every row or points at a column of them. About 200 KB.
struct TBatch
{
    std::array<const double*, 100> Columns{};
    std::array<double, 100> Uniform{};
    std::array<bool, 100> IsColumn{};
    // Result columns, one per operation.
    double Results[99][kBatchRows];
};

// A parser's batch scratch, made on its first batch, so that a parser built
// to check one formula stays small. A copy starts without one: the scratch
// holds nothing from one call to the next.
class TBatchScratch
{
public:
    TBatchScratch() = default;
    TBatchScratch(const TBatchScratch&) {}
    TBatchScratch& operator=(const TBatchScratch&) { return *this; }
    TBatchScratch(TBatchScratch&&) noexcept = default;
    TBatchScratch& operator=(TBatchScratch&&) noexcept = default;
    ~TBatchScratch() = default;

    TBatch& Get()
    {
        if (!m_batch) {
            // Default-initialised: the 200 KB of result columns need no zeros.
            m_batch.reset(new TBatch);
        }
        return *m_batch;
    }

private:
    std::unique_ptr<TBatch> m_batch;
};

// TMathsParser::ValueBatch over the rows first .. first + rows - 1 (at most
// kBatchRows), with `batch` as its scratch.
void RunBatchBlock(const TProgram& program, TBatch& batch, const TColumns& columns,
                   std::size_t first, std::size_t rows, double* out, std::string& errorMessage);

} // namespace Expr
