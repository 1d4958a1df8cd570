#include "weapons/DamageSpread.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

// Work on u = sum of (face - 1): each die adds 0 .. S-1, so u runs over
// 0 .. M with M = N(S-1), and damage t means u = t - N - P. Only the 60 values
// of u that land on a bar are ever computed.
//
// Small dice (S^N fits in 64 bits and a banded convolution is a few thousand
// additions, which covers every weapon of the table) are counted exactly, so
// their bars equal a count of every outcome. All other dice are computed per
// value, folded onto the lower half by the symmetry c(u) = c(M - u):
//  - two sides: the binomial C(N, u) / 2^N, one value from parts that do not
//    cancel, its neighbours by their rational ratios.
//  - u < S: the count is the binomial C(u+N-1, N-1); neighbours differ by the
//    rational factor (u+N)/(u+1).
//  - up to 34 dice, and for more where its terms fall fast:
//    inclusion-exclusion over how many dice would exceed S-1, in long double;
//    a value is kept only while its cancellation stays below a factor 1e6, so
//    13 digits remain.
//  - the rest: the Fourier inversion of the sum's distribution, tilted at a
//    saddle point so that the values sought sit near the tilted mean. The
//    tilted integrand is periodic and analytic, so a trapezoidal rule
//    converges geometrically, and only the few points near 0 where it is not
//    negligible are summed; a bound on the characteristic function says where
//    to stop, Chernoff bounds of the tilted sum how long the period must be.
//    One saddle serves a stretch of values, and each point costs one complex
//    power of the characteristic function, in double: every part of its
//    logarithm is computed relative to its own size.
namespace {

using TCount = std::uint64_t;

constexpr std::int64_t MaxExactWork = 6000;
constexpr int MaxInclusionExclusionDice = 34;
constexpr long double MaxCancellation = 1e6L;
// Sums this low are narrow under the tilt, which would cost the Fourier
// inversion many short stretches; there inclusion-exclusion rarely cancels.
constexpr std::int64_t MaxLowSum = 300;
// Below e^-760 a probability vanishes in a double percentage.
constexpr long double NegligibleLog = -760.0L;
constexpr long double Pi = 3.141592653589793238462643383279502884L;

struct TProblem
{
    std::int64_t Dice;
    std::int64_t Sides;
    std::int64_t Bonus;
    std::int64_t Low;  // smallest u that lands on damage 1
    std::int64_t High; // largest u that lands on damage 60

    // The u values worth keeping after `placed` dice.
    std::int64_t WindowLow(std::int64_t placed) const
    {
        return std::max<std::int64_t>(0, Low - (Dice - placed) * (Sides - 1));
    }
    std::int64_t WindowHigh(std::int64_t placed) const
    {
        return std::min(High, placed * (Sides - 1));
    }
    std::int64_t Width(std::int64_t placed) const
    {
        return std::max<std::int64_t>(0, WindowHigh(placed) - WindowLow(placed) + 1);
    }
    // The width is concave in `placed`, so its largest value lies next to
    // where one of the two bounds stops being the clamp.
    std::int64_t LargestWidth() const
    {
        const std::int64_t step = Sides - 1;
        const std::int64_t bends[] = {High / step, Dice - Low / step};
        std::int64_t largest = std::max(Width(1), Width(Dice));
        for (const std::int64_t bend : bends)
            for (std::int64_t placed = bend - 1; placed <= bend + 1; ++placed)
                if (placed >= 1 && placed <= Dice)
                    largest = std::max(largest, Width(placed));
        return largest;
    }
};

using TPercents = std::array<long double, TDamageSpread::BarCount>;

// Exact counts, one die at a time, over the partial sums that can still end
// in the window.
void ConvolveExactly(const TProblem& problem, TCount total, TPercents& percent)
{
    std::vector<TCount> previous{1}, next, prefix;
    std::int64_t previousLow = 0;
    for (std::int64_t placed = 1; placed <= problem.Dice; ++placed) {
        const std::int64_t low = problem.WindowLow(placed), high = problem.WindowHigh(placed);
        if (low > high)
            return;
        const auto previousWidth = static_cast<std::int64_t>(previous.size());
        prefix.assign(previous.size() + 1, 0);
        for (std::size_t i = 0; i < previous.size(); ++i)
            prefix[i + 1] = prefix[i] + previous[i];
        next.assign(static_cast<std::size_t>(high - low + 1), 0);
        for (std::int64_t u = low; u <= high; ++u) {
            // The last die showed 0 .. S-1, so the sum before it was u-S+1 .. u.
            const std::int64_t from = std::max(u - (problem.Sides - 1), previousLow) - previousLow;
            const std::int64_t to = std::min(u, previousLow + previousWidth - 1) - previousLow;
            if (from <= to)
                next[static_cast<std::size_t>(u - low)] = prefix[static_cast<std::size_t>(to + 1)] -
                                                          prefix[static_cast<std::size_t>(from)];
        }
        previous.swap(next);
        previousLow = low;
    }
    for (std::size_t i = 0; i < previous.size(); ++i) {
        const std::int64_t total_ =
            previousLow + static_cast<std::int64_t>(i) + problem.Dice + problem.Bonus;
        if (total_ >= 1 && total_ <= TDamageSpread::BarCount)
            percent[static_cast<std::size_t>(total_ - 1)] =
                static_cast<long double>(previous[i]) / static_cast<long double>(total) * 100.0L;
    }
}

// S^N when it fits in a count, else 0.
TCount OutcomeCount(std::int64_t dice, std::int64_t sides)
{
    TCount total = 1;
    for (std::int64_t i = 0; i < dice; ++i) {
        if (total > std::numeric_limits<TCount>::max() / static_cast<TCount>(sides))
            return 0;
        total *= static_cast<TCount>(sides);
    }
    return total;
}

// Taylor coefficients of log(sinh(w) / w) in w^2; the series converges as
// (|w|/pi)^2k, so for |w| <= 1 the first 17 reach double precision.
constexpr long double SinhcSeries[] = {
    1.6666666666666666666667e-1L,   -5.5555555555555555555556e-3L,  3.5273368606701940035273e-4L,
    -2.6455026455026455026455e-5L,  2.1377799155576933354711e-6L,   -1.8036702340053310070947e-7L,
    1.5661391322766984142646e-8L,   -1.3884130493737299422536e-9L,  1.2504359176004996030116e-10L,
    -1.1402575602296091432932e-11L, 1.0502923908637556407515e-12L,  -9.7548778415937016496706e-14L,
    9.1234682308590978057802e-15L,  -8.5837197618956093496757e-16L, 8.1173180097277895770406e-17L,
    -7.7105275141162733455936e-18L, 7.3528449327120026411457e-19L,  -7.0361012103906523097719e-20L,
    6.7538472902174438450592e-21L,  -6.5009241150343183971406e-22L, 6.2731554867032860337479e-23L,
    -6.0671246912668067123975e-24L, 5.8800093958891978052665e-25L,  -5.7094578216040653017212e-26L};
constexpr std::size_t DoubleSeriesTerms = 17;

// log(sinh(x) / x), even in x. The power series keeps relative precision near
// 0 (in double its first terms reach double precision already); beyond,
// sinh(x) = e^x (1 - e^-2x) / 2 for x >= 0 neither overflows nor cancels.
template <typename T> T LogSinhc(T x)
{
    constexpr std::size_t terms =
        std::is_same_v<T, double> ? DoubleSeriesTerms : std::size(SinhcSeries);
    x = std::fabs(x);
    if (x <= 1) {
        const T x2 = x * x;
        T sum = 0;
        for (std::size_t k = terms; k-- > 0;)
            sum = (sum + static_cast<T>(SinhcSeries[k])) * x2;
        return sum;
    }
    return x - std::log(T(2)) - std::log(x) + std::log(-std::expm1(-2 * x));
}

// g(x + iy) - g(x) for g(w) = log(sinh(w) / w), with x fixed: what a
// point t on the tilted contour adds to one factor of a die's
// log-characteristic function. Each part is computed relative to its own
// size, so N times its rounding stays near the rounding of the exponent
// itself, and double suffices even for 2^31 dice.
class TSinhcStep
{
public:
    explicit TSinhcStep(double x)
        : m_x(x), m_abs(std::fabs(x) < 1e-150 ? 0 : std::fabs(x)), m_atX(LogSinhc(x)),
          m_csch(m_abs == 0 || m_abs > 700 ? 0 : 1 / std::sinh(m_abs)), m_tanh(std::tanh(m_abs))
    {
    }

    // sinY and cosY come from a phase reduced exactly by the caller.
    void At(double y, double sinY, double cosY, double& re, double& im) const
    {
        if (const double size = m_x * m_x + y * y; size <= 1) {
            // Horner in w^2, spelled out: std::complex products with their
            // infinity checks cost more than the rest of a point together.
            // Its chain of products is most of a point's time, so it is cut
            // where the rest falls below 1e-17 of the sum.
            const std::size_t terms = size <= 1.0 / 16 ? 8
                                      : size <= 0.25   ? 10
                                      : size <= 0.5    ? 13
                                                       : DoubleSeriesTerms;
            const double x2 = m_x * m_x - y * y, y2 = 2 * m_x * y;
            re = 0;
            im = 0;
            for (std::size_t k = terms; k-- > 0;) {
                const double r = re + static_cast<double>(SinhcSeries[k]);
                re = r * x2 - im * y2;
                im = r * y2 + im * x2;
            }
            re -= m_atX;
            return;
        }
        if (m_abs == 0) {
            // sin(y) / y, a sign change being a phase of pi.
            re = std::log(std::fabs(sinY) / y);
            im = sinY < 0 ? static_cast<double>(Pi) : 0;
            return;
        }
        // sinh(x + iy) / sinh(x) = cos y + i coth(x) sin y, whose squared
        // modulus is 1 + q^2, q = sin y / sinh x, against 1 + r^2 for
        // 1 + iy/x, r = y/x; as |sin y| <= y and sinh x >= x, q < r, and
        // here (|x + iy| > 1) r^2 - q^2 keeps more than a quarter of r^2,
        // so one log1p of the ratio loses nothing. The phases in one atan2,
        // scaled by cosh x against overflow; g is even, so a negative x
        // mirrors the phase.
        const double q = sinY * m_csch, r = y / m_abs;
        re = std::log1p((q - r) * (q + r) / (1 + r * r)) / 2;
        im = std::atan2(m_abs * sinY - y * m_tanh * cosY, m_abs * m_tanh * cosY + y * sinY);
        if (m_x < 0)
            im = -im;
    }

private:
    double m_x, m_abs, m_atX, m_csch, m_tanh;
};

// log psi(t) for few sides, psi the tilted die's characteristic function:
// a short polynomial in e^(it), psi(t) = sum_f a^f e^(ift) / sum_f a^f with
// a = e^theta, costs one log1p and one atan2 where the general form needs
// that for each of two sinh factors, or a series. Its modulus comes without
// cancellation from
// |sum|^2 = (sum_f a^f)^2 - 4 sum_d sin^2(dt/2) sum_f a^f a^(f+d).
class TFewSides
{
public:
    static constexpr int MaxSides = 16;

    TFewSides(int sides, double theta) : m_sides(sides)
    {
        for (int f = 0; f < sides; ++f)
            m_power[static_cast<std::size_t>(f)] = std::exp(theta * f);
        m_total = 0;
        for (int f = 0; f < sides; ++f)
            m_total += m_power[static_cast<std::size_t>(f)];
        for (int d = 1; d < sides; ++d) {
            double sum = 0;
            for (int f = 0; f + d < sides; ++f)
                sum +=
                    m_power[static_cast<std::size_t>(f)] * m_power[static_cast<std::size_t>(f + d)];
            m_correlation[static_cast<std::size_t>(d)] = 4 * sum / (m_total * m_total);
        }
    }

    // The powers of e^(it/2) by products: their angles err by only their
    // exponent times a rounding.
    void At(double cosHalf, double sinHalf, double& re, double& im) const
    {
        double c = 1, s = 0, sumRe = m_power[0], sumIm = 0, drop = 0;
        for (int d = 1; d < 2 * m_sides - 1; ++d) {
            const double next = c * cosHalf - s * sinHalf;
            s = s * cosHalf + c * sinHalf;
            c = next;
            if (d < m_sides)
                drop += s * s * m_correlation[static_cast<std::size_t>(d)];
            if (d % 2 == 0) {
                sumRe += m_power[static_cast<std::size_t>(d / 2)] * c;
                sumIm += m_power[static_cast<std::size_t>(d / 2)] * s;
            }
        }
        re = std::log1p(-drop) / 2;
        im = std::atan2(sumIm, sumRe);
    }

private:
    int m_sides;
    double m_total;
    std::array<double, MaxSides> m_power{}, m_correlation{};
};

// Slope and curvature of log(sinh x / x), for the saddle point and the
// stretches only: a rough value there costs some speed, never accuracy.
// coth and 1/sinh^2 both follow from one e^-2|x|, without overflow.
struct TSlopes
{
    double Slope;
    double Curvature;
};
TSlopes LogSinhcSlopes(double x)
{
    const double a = std::fabs(x);
    if (a < 1e-3)
        return {x / 3, 1.0 / 3 - a * a / 15};
    const double e = std::expm1(-2 * a);
    const double slope = -(2 + e) / e - 1 / a;
    return {x < 0 ? -slope : slope, 1 / (a * a) - 4 * (1 + e) / (e * e)};
}

// One die's face-1, tilted by e^(theta k).
struct TTilt
{
    double Mean;
    double Variance;
};
TTilt Tilted(double theta, double sides)
{
    const TSlopes all = LogSinhcSlopes(sides * theta / 2), one = LogSinhcSlopes(theta / 2);
    return {(sides - 1) / 2 + sides / 2 * all.Slope - one.Slope / 2,
            sides * sides / 4 * all.Curvature - one.Curvature / 4};
}

// The tilt whose mean is `mean` (at most (S-1)/2, so the tilt is <= 0).
double Saddle(double mean, double sides, double guess = std::numeric_limits<double>::quiet_NaN())
{
    // A geometric die of this mean tilts further than the truncated one, so
    // it brackets the saddle; where the tilt makes the top faces negligible
    // it is nearly the saddle itself, elsewhere the normal approximation is.
    double low = -std::log1p(1 / std::max(mean, 1e-300)), high = 0;
    double theta = sides * -low > 3
                       ? low
                       : std::clamp((mean - (sides - 1) / 2) * 12 / (sides * sides - 1), low, high);
    // A neighbouring saddle, when there is one, is closer still.
    if (guess > low && guess < high)
        theta = guess;
    for (int step = 0; step < 100; ++step) {
        const TTilt tilt = Tilted(theta, sides);
        if (tilt.Mean > mean)
            high = theta;
        else
            low = theta;
        double next = theta - (tilt.Mean - mean) / std::max(tilt.Variance, 1e-300);
        if (!(next > low && next < high))
            next = (low + high) / 2;
        if (std::fabs(next - theta) <= 1e-3 * std::fabs(theta) + 1e-300)
            return next;
        theta = next;
    }
    return theta;
}

// log(n!) - log(sqrt(2 pi n) (n/e)^n), small for every n, so that log C(n, k)
// can be assembled from parts that do not cancel.
long double StirlingError(long double n)
{
    if (n <= 35)
        return std::lgamma(n + 1) - (n + 0.5L) * std::log(n) + n - 0.5L * std::log(2 * Pi);
    const long double r = 1 / n, r2 = r * r;
    return r *
           (1.0L / 12 - r2 * (1.0L / 360 - r2 * (1.0L / 1260 - r2 * (1.0L / 1680 - r2 / 1188))));
}

// x log(x/m) + m - x, which near x = m is the small difference of large
// terms; there the series in v = (x-m)/(x+m) keeps its relative precision.
long double Deviance(long double x, long double m)
{
    const long double d = x - m;
    if (std::fabs(d) < 0.1L * (x + m)) {
        const long double v = d / (x + m), v2 = v * v;
        long double sum = d * v, power = 2 * x * v;
        for (int j = 1;; ++j) {
            power *= v2;
            const long double next = sum + power / (2 * j + 1);
            if (next == sum)
                return sum;
            sum = next;
        }
    }
    return x * std::log(x / m) + m - x;
}

// Each term multiplied by its own rotation: plain arrays that do not
// overlap, so that the compiler can turn two points at once.
void Turn(std::size_t points, double* __restrict re, double* __restrict im,
          const double* __restrict cosine, const double* __restrict sine)
{
    for (std::size_t k = 0; k < points; ++k) {
        const double r = re[k] * cosine[k] - im[k] * sine[k];
        im[k] = re[k] * sine[k] + im[k] * cosine[k];
        re[k] = r;
    }
}

class TFarSpread
{
public:
    TFarSpread(std::int64_t dice, std::int64_t sides)
        : m_dice(dice), m_sides(sides), m_span(dice * (sides - 1))
    {
    }

    // Probabilities of u = first .. last, all at most M/2.
    void Compute(std::int64_t first, std::int64_t last, long double* out)
    {
        if (m_sides == 2) {
            TwoSides(first, last, out);
            return;
        }
        std::int64_t u = first;
        const std::int64_t binomialEnd = std::min(last, m_sides - 1);
        if (u <= binomialEnd) {
            Binomial(u, binomialEnd, out);
            out += binomialEnd - u + 1;
            u = binomialEnd + 1;
        }
        if (u > last)
            return;
        std::vector<bool> done(static_cast<std::size_t>(last - u + 1), false);
        if (m_dice <= MaxInclusionExclusionDice)
            InclusionExclusion(u, last, last / m_sides + 1, out, done);
        else if (last <= MaxLowSum)
            LowInclusionExclusion(u, last, out, done);
        else if (const std::int64_t terms = FallingTerms(u, last); terms > 0)
            InclusionExclusion(u, last, terms, out, done);
        for (std::int64_t v = u; v <= last;) {
            if (done[static_cast<std::size_t>(v - u)]) {
                ++v;
                continue;
            }
            std::int64_t end = v;
            while (end < last && !done[static_cast<std::size_t>(end + 1 - u)])
                ++end;
            Fourier(v, end, out + (v - u));
            v = end + 1;
        }
    }

private:
    const std::int64_t m_dice, m_sides, m_span;

    void Binomial(std::int64_t first, std::int64_t last, long double* out) const
    {
        const auto n = static_cast<long double>(m_dice);
        const auto f = static_cast<long double>(first);
        // A cheap bound first: when even the rough log-probability is far
        // below the range, the exact sum of logs is not worth its cost.
        const long double logTop = std::lgamma(static_cast<long double>(last) + n) -
                                   std::lgamma(n) -
                                   std::lgamma(static_cast<long double>(last) + 1) -
                                   n * std::log(static_cast<long double>(m_sides));
        if (logTop < NegligibleLog - 40) {
            std::fill(out, out + (last - first + 1), 0.0L);
            return;
        }
        // log C(first+N-1, N-1) as a sum over the smaller of first and N-1.
        const long double big = std::max(f, n - 1);
        const std::int64_t terms = std::min(first, m_dice - 1);
        long double logCount = 0;
        for (std::int64_t k = 1; k <= terms; ++k)
            logCount += std::log1p(big / static_cast<long double>(k));
        long double p = std::exp(logCount - n * std::log(static_cast<long double>(m_sides)));
        for (std::int64_t v = first; v <= last; ++v) {
            *out++ = p;
            p *= (static_cast<long double>(v) + n) / (static_cast<long double>(v) + 1);
        }
    }

    // sum_j (-1)^j C(N,j) C(v-jS+N-1, N-1) / S^N; each term steps along v by
    // the ratio of neighbouring binomials. Values whose cancellation is too
    // strong are left to the Fourier inversion.
    void InclusionExclusion(std::int64_t first, std::int64_t last, std::int64_t terms,
                            long double* out, std::vector<bool>& done) const
    {
        const auto n = static_cast<long double>(m_dice);
        const auto s = static_cast<long double>(m_sides);
        const std::int64_t width = last - first + 1;
        std::vector<long double> sum(static_cast<std::size_t>(width), 0.0L);
        std::vector<long double> magnitude(static_cast<std::size_t>(width), 0.0L);
        long double choose = 1; // C(N, j)
        for (std::int64_t j = 0; j * m_sides <= last && j < terms; ++j) {
            const std::int64_t start = std::max(first, j * m_sides);
            const auto w = static_cast<long double>(start - j * m_sides);
            long double term = choose / s;
            for (std::int64_t k = 1; k < m_dice; ++k)
                term *= (w + static_cast<long double>(k)) / (static_cast<long double>(k) * s);
            for (std::int64_t v = start; v <= last; ++v) {
                const auto i = static_cast<std::size_t>(v - first);
                sum[i] += j % 2 == 0 ? term : -term;
                magnitude[i] += term;
                const auto shifted = static_cast<long double>(v - j * m_sides);
                term *= (shifted + n) / (shifted + 1);
            }
            choose = choose * (n - static_cast<long double>(j)) / static_cast<long double>(j + 1);
        }
        for (std::size_t i = 0; i < sum.size(); ++i)
            if (sum[i] > 0 && magnitude[i] <= sum[i] * MaxCancellation) {
                out[i] = sum[i];
                done[i] = true;
            }
    }

    // C(N, u) / 2^N. One value from parts that stay small however many
    // dice there are (a lgamma of 2^31 would keep only 9 digits), the rest
    // by ratios of neighbours downwards, where the values only fall.
    void TwoSides(std::int64_t first, std::int64_t last, long double* out) const
    {
        const auto n = static_cast<long double>(m_dice);
        const auto k = static_cast<long double>(last);
        const long double logTop =
            last == 0
                ? -n * std::log(2.0L)
                : StirlingError(n) - StirlingError(k) - StirlingError(n - k) - Deviance(k, n / 2) -
                      Deviance(n - k, n / 2) + std::log(n / (2 * Pi * k * (n - k))) / 2;
        if (logTop < NegligibleLog - 40) {
            std::fill(out, out + (last - first + 1), 0.0L);
            return;
        }
        long double p = std::exp(logTop);
        for (std::int64_t v = last; v >= first; --v) {
            out[v - first] = p;
            p *= static_cast<long double>(v) / (n - static_cast<long double>(v) + 1);
        }
    }

    // log of N b(v-S) / b(v), the second inclusion-exclusion term of v
    // against the first; a rough value suffices.
    double LogFirstRatio(std::int64_t v) const
    {
        const auto n = static_cast<double>(m_dice);
        const auto top = static_cast<double>(v), below = static_cast<double>(v - m_sides);
        return std::log(n) + std::lgamma(below + n) - std::lgamma(below + 1) -
               std::lgamma(top + n) + std::lgamma(top + 1);
    }

    // How many inclusion-exclusion terms reach every value's precision, or
    // 0 when they would cancel too much or cost more than the Fourier
    // inversion. The ratio of neighbouring terms,
    // (N-j)/(j+1) b(v-(j+1)S)/b(v-jS), is at most rho/(j+1) for its value
    // rho at j = 0 and v = last, so term j is at most rho^j/j! times the
    // first; a value is kept only when its sum is at least 1e-6 of its
    // terms' magnitudes, so terms below 1e-27 of the first no longer count.
    // Terms like rho^j/j! cancel to about e^(-2 rho); beyond rho = 1 the
    // Fourier inversion is both cheaper and more precise.
    std::int64_t FallingTerms(std::int64_t first, std::int64_t last) const
    {
        const double logRatio = LogFirstRatio(last);
        if (!(logRatio < 0))
            return 0;
        std::int64_t terms = 1;
        for (double logTerm = 0; logTerm > std::log(1e-27) && terms <= last / m_sides; ++terms)
            logTerm += logRatio - std::log(static_cast<double>(terms));
        return terms * (m_dice + last - first + 1) <= 1500 ? terms : 0;
    }

    // Inclusion-exclusion for many dice and low sums, from the binomial edge
    // b(s) = C(s+N-1, s) / S^N continued: c(v) = sum_j (-1)^j C(N,j) b(v-jS).
    // The terms' ratios fall with j, so once they halve and are negligible
    // the rest is too.
    void LowInclusionExclusion(std::int64_t first, std::int64_t last, long double* out,
                               std::vector<bool>& done) const
    {
        // Terms of about rho^j / j! for a first ratio rho cancel to about
        // e^(-2 rho) and take many terms; beyond rho = 1 the Fourier
        // inversion, one stretch there, is cheaper.
        if (LogFirstRatio(first) > 0)
            return;
        const auto n = static_cast<long double>(m_dice);
        const auto top = static_cast<long double>(last);
        // c(v) <= b(v) <= b(last); when that is negligible, so is the run.
        // Otherwise N log S is below about 300 log N, and the lgammas keep 14
        // digits.
        const long double logTop = std::lgamma(top + n) - std::lgamma(n) - std::lgamma(top + 1) -
                                   n * std::log(static_cast<long double>(m_sides));
        if (logTop < NegligibleLog - 40) {
            std::fill(out, out + (last - first + 1), 0.0L);
            std::fill(done.begin(), done.end(), true);
            return;
        }
        // b(s) / b(last), for every s any term reaches.
        const std::int64_t low = std::max<std::int64_t>(0, first - last / m_sides * m_sides);
        std::array<long double, MaxLowSum + 1> edge;
        edge[static_cast<std::size_t>(last - low)] = 1;
        for (std::int64_t s = last; s > low; --s)
            edge[static_cast<std::size_t>(s - 1 - low)] =
                edge[static_cast<std::size_t>(s - low)] *
                (static_cast<long double>(s) / (static_cast<long double>(s) + n - 1));
        std::array<long double, MaxLowSum + 1> choose; // C(N, j)
        choose[0] = 1;
        for (std::int64_t j = 1; j <= last / m_sides; ++j)
            choose[static_cast<std::size_t>(j)] = choose[static_cast<std::size_t>(j - 1)] *
                                                  (n - static_cast<long double>(j - 1)) /
                                                  static_cast<long double>(j);
        const long double scale = std::exp(logTop);
        // Cancellation only grows towards the middle, so the first value
        // that cancels too much ends the run; the Fourier inversion takes
        // the rest.
        for (std::int64_t v = first; v <= last; ++v) {
            long double sum = 0, magnitude = 0, previous = 0;
            for (std::int64_t j = 0; j * m_sides <= v; ++j) {
                const long double term = choose[static_cast<std::size_t>(j)] *
                                         edge[static_cast<std::size_t>(v - j * m_sides - low)];
                sum += j % 2 == 0 ? term : -term;
                magnitude += term;
                if (j > 0 && 2 * term <= previous && term <= 1e-21L * std::fabs(sum))
                    break;
                previous = term;
            }
            if (!(sum > 0 && magnitude <= sum * MaxCancellation))
                return;
            const auto i = static_cast<std::size_t>(v - first);
            out[i] = sum * scale;
            done[i] = true;
        }
    }

    // Tilted, one saddle per stretch of values; a stretch is kept narrow
    // enough that its ends stay within e^-4.5 of its centre under the tilt,
    // so the rounding of the sum stays small against every value.
    void Fourier(std::int64_t first, std::int64_t last, long double* out) const
    {
        // Stretches of equal width, each narrow enough for the first,
        // whose tilted spread is the smallest.
        const double theta0 = Saddle(static_cast<double>(first) / static_cast<double>(m_dice),
                                     static_cast<double>(m_sides));
        const double spread =
            static_cast<double>(m_dice) * Tilted(theta0, static_cast<double>(m_sides)).Variance;
        const auto longest = 2 * static_cast<std::int64_t>(std::sqrt(9 * spread)) + 1;
        const std::int64_t count = (last - first + longest) / longest;
        const std::int64_t width = (last - first + count) / count;
        // One Chernoff bound for the whole run spares a saddle per stretch
        // where all of it is negligible.
        if (count > 2) {
            const long double top = Saddle(static_cast<double>(last) / static_cast<double>(m_dice),
                                           static_cast<double>(m_sides), theta0);
            if (static_cast<long double>(m_dice) * CurvedLog(top) +
                    top * static_cast<long double>(m_span - 2 * last) / 2 <
                NegligibleLog) {
                std::fill(out, out + (last - first + 1), 0.0L);
                return;
            }
        }
        double theta = theta0;
        for (std::int64_t v = first; v <= last; v += width) {
            const std::int64_t end = std::min(last, v + width - 1);
            theta = FourierStretch(v, end, (v + end) / 2, theta, out + (v - first));
        }
    }

    // log m(z) - (S-1)z/2, m the mean of e^(zk) over one die's faces: the
    // linear part is kept apart so that it can be combined exactly. In long
    // double for the values, in double for bounds.
    template <typename T> T CurvedLog(T z) const
    {
        return LogSinhc(static_cast<T>(m_sides) * z / 2) - LogSinhc(z / 2);
    }

    // Returns the saddle used, a guess for the next stretch's.
    double FourierStretch(std::int64_t first, std::int64_t last, std::int64_t centre, double guess,
                          long double* out) const
    {
        const double sides = static_cast<double>(m_sides);
        const double n = static_cast<double>(m_dice);
        const double theta = Saddle(static_cast<double>(centre) / n, sides, guess);
        const TTilt tilt = Tilted(theta, sides);
        // N log m(theta) - theta u, with the linear part theta (M - 2u) / 2
        // taken from an exact integer.
        const auto thetaL = static_cast<long double>(theta);
        const long double curved = static_cast<long double>(m_dice) * CurvedLog(thetaL);
        auto logScale = [&](std::int64_t u) {
            return curved + thetaL * static_cast<long double>(m_span - 2 * u) / 2;
        };
        // Chernoff: P(sum <= last) <= exp(logScale(last)).
        if (logScale(last) < NegligibleLog) {
            std::fill(out, out + (last - first + 1), 0.0L);
            return theta;
        }
        // Truncation and aliasing both count against the smallest value's
        // tilted probability, at least e^-4.5 / (2.5 deviations).
        const double deviation = std::sqrt(n * tilt.Variance);
        const double logTolerance = std::log(1e-17) - 4.5 - std::log(2.5 * deviation + 1);

        // The period only has to carry every other copy of the tilted sum
        // past where it is negligible; how far that is, Chernoff bounds of
        // the tilted sum say, for a few exponents around the Gaussian's best.
        const double atTheta = CurvedLog(theta);
        auto logMoment = [&](double eta) {
            return n * (CurvedLog(theta + eta) - atTheta) +
                   eta * static_cast<double>(m_span - 2 * centre) / 2;
        };
        double above = static_cast<double>(m_span - centre), below = static_cast<double>(centre);
        for (const double scale : {6.0, 11.0}) {
            const double eta = scale / deviation;
            above = std::min(above, (logMoment(eta) - logTolerance) / eta);
            below = std::min(below, (logMoment(-eta) - logTolerance) / eta);
        }
        const double wanted = std::max(above + static_cast<double>(centre - first),
                                       below + static_cast<double>(last - centre)) +
                              1;
        const std::int64_t period = wanted >= static_cast<double>(m_span) + 1
                                        ? m_span + 1
                                        : static_cast<std::int64_t>(std::ceil(wanted));

        // Beyond the first lobe of the least frequent difference, |psi| is
        // bounded by the ratio of the tilted sinh terms; before it, |psi|
        // falls monotonically.
        const double shrink = std::sinh(theta / 2);
        const double lobeScale =
            theta == 0 ? 0 : std::log(std::fabs(shrink) / std::tanh(sides * std::fabs(theta) / 2));
        auto logLobeBound = [&](double sinHalf) {
            if (theta == 0)
                return -std::log(sides * sinHalf);
            return lobeScale - std::log(shrink * shrink + sinHalf * sinHalf) / 2;
        };
        const double lobeEdge = Pi / static_cast<double>(std::max<std::int64_t>(1, m_sides - 1));
        const double logEdgeTail = n * std::min(0.0, logLobeBound(std::sin(lobeEdge / 2)));

        // Per point t = 2 pi k / period: the phases of S t / 2 and of the
        // linear part (M - 2 centre) t / 2 from integers reduced exactly, so
        // that neither large S nor large sums cost digits.
        std::optional<TFewSides> few;
        std::optional<TSinhcStep> numerator, denominator;
        if (m_sides <= TFewSides::MaxSides) {
            few.emplace(static_cast<int>(m_sides), theta);
        } else {
            numerator.emplace(sides * theta / 2);
            denominator.emplace(theta / 2);
        }
        const auto twicePeriod = static_cast<std::uint64_t>(period) * 2;
        const std::uint64_t sideStep = static_cast<std::uint64_t>(m_sides) % twicePeriod;
        const std::uint64_t lineStep =
            static_cast<std::uint64_t>(m_span - 2 * centre) % twicePeriod;
        std::uint64_t sideTurn = 0, lineTurn = 0;
        const double step = Pi / static_cast<double>(period);
        const std::int64_t lastPoint = (period - 1) / 2;
        std::vector<double> termRe, termIm, turnRe, turnIm;
        for (auto* points : {&termRe, &termIm, &turnRe, &turnIm})
            points->reserve(64);
        for (std::int64_t k = 1; k <= period / 2; ++k) {
            // Both below twice the period, so one subtraction reduces their
            // sum; a 64-bit division would cost a fifth of the point.
            sideTurn += sideStep;
            if (sideTurn >= twicePeriod)
                sideTurn -= twicePeriod;
            lineTurn += lineStep;
            if (lineTurn >= twicePeriod)
                lineTurn -= twicePeriod;
            const double half = step * static_cast<double>(k); // t / 2
            const double sinHalf = std::sin(half), cosHalf = std::cos(half);
            double exponent, phase;
            if (few) {
                double re, im;
                few->At(cosHalf, sinHalf, re, im);
                exponent = n * re;
                phase = n * (im - (sides - 1) * half);
            } else {
                const double sideAngle = step * static_cast<double>(sideTurn);
                double upRe, upIm, downRe, downIm;
                numerator->At(sides * half, std::sin(sideAngle), std::cos(sideAngle), upRe, upIm);
                denominator->At(half, sinHalf, cosHalf, downRe, downIm);
                exponent = n * (upRe - downRe);
                phase = n * (upIm - downIm);
            }
            phase += step * static_cast<double>(lineTurn);
            const double size = (k <= lastPoint ? 2 : 1) * std::exp(exponent); // k and -k
            termRe.push_back(size * std::cos(phase));
            termIm.push_back(size * std::sin(phase));
            // e^-it, one value further.
            turnRe.push_back(cosHalf * cosHalf - sinHalf * sinHalf);
            turnIm.push_back(-2 * sinHalf * cosHalf);
            const double rest =
                2 * half <= lobeEdge ? std::max(exponent, logEdgeTail) : n * logLobeBound(sinHalf);
            if (rest < logTolerance)
                break;
        }
        // Stretches end within e^-4.5 of their centre, and the values are
        // reached from the centre both ways, so that neither the rounding
        // of the sums nor that of the rotations costs more than a few units
        // in 1e-14 of any value.
        const std::size_t points = termRe.size();
        auto sum = [&](const std::vector<double>& re) {
            // Four partial sums: one chain of additions would wait on each.
            double part[4] = {1, 0, 0, 0}; // the k = 0 term
            std::size_t k = 0;
            for (; k + 4 <= points; k += 4)
                for (std::size_t j = 0; j < 4; ++j)
                    part[j] += re[k + j];
            for (; k < points; ++k)
                part[0] += re[k];
            return (part[0] + part[1]) + (part[2] + part[3]);
        };
        const long double atCentre = std::exp(logScale(centre)) / static_cast<long double>(period);
        const long double rise = std::exp(-thetaL);
        // Where no point turns by more than a radian over the stretch,
        // e^(-itd) is a short power series in d, and the values follow from
        // a few moments of the terms instead of turning every term for
        // every value.
        const double reach = 2 * step * static_cast<double>(points) *
                             static_cast<double>(std::max(centre - first, last - centre));
        if (reach <= 1) {
            std::array<double, 24> moment{}; // of Re(T (-it)^j / j!)
            std::size_t order = 1;
            for (double rest = reach; order < moment.size() && rest > 1e-19; ++order)
                rest *= reach / static_cast<double>(order + 1);
            std::array<double, moment.size()> inverse;
            for (std::size_t j = 0; j < order; ++j)
                inverse[j] = 1 / static_cast<double>(j + 1);
            for (std::size_t k = 0; k < points; ++k) {
                const double t = 2 * step * static_cast<double>(k + 1);
                double re = termRe[k], im = termIm[k];
                for (std::size_t j = 0; j < order; ++j) {
                    moment[j] += re;
                    const double next = t * im * inverse[j];
                    im = -t * re * inverse[j];
                    re = next;
                }
            }
            moment[0] += 1; // the k = 0 term
            auto value = [&](std::int64_t u) {
                const auto d = static_cast<double>(u - centre);
                double sum = 0;
                for (std::size_t j = order; j-- > 0;)
                    sum = sum * d + moment[j];
                return sum;
            };
            long double scale = atCentre;
            for (std::int64_t u = centre; u <= last; ++u, scale *= rise) {
                const double sum = value(u);
                out[u - first] = sum <= 0 ? 0 : sum * scale;
            }
            scale = atCentre;
            for (std::int64_t u = centre - 1; u >= first; --u) {
                scale /= rise;
                const double sum = value(u);
                out[u - first] = sum <= 0 ? 0 : sum * scale;
            }
            return theta;
        }
        std::vector<double> downRe = termRe, downIm = termIm, turnBack(points);
        for (std::size_t k = 0; k < points; ++k)
            turnBack[k] = -turnIm[k];
        long double scale = atCentre;
        for (std::int64_t u = centre; u <= last; ++u) {
            const double value = sum(termRe);
            out[u - first] = value <= 0 ? 0 : value * scale;
            scale *= rise;
            Turn(points, termRe.data(), termIm.data(), turnRe.data(), turnIm.data());
        }
        scale = atCentre;
        for (std::int64_t u = centre - 1; u >= first; --u) {
            Turn(points, downRe.data(), downIm.data(), turnRe.data(), turnBack.data());
            scale /= rise;
            const double value = sum(downRe);
            out[u - first] = value <= 0 ? 0 : value * scale;
        }
        return theta;
    }
};

void ComputeFar(const TProblem& problem, TPercents& percent)
{
    const std::int64_t span = problem.Dice * (problem.Sides - 1);
    const std::int64_t low = std::max<std::int64_t>(problem.Low, 0);
    const std::int64_t high = std::min(problem.High, span);
    // Folded onto the lower half, the window's values form one run ending at
    // most at M/2.
    std::int64_t first = std::numeric_limits<std::int64_t>::max(), last = 0;
    for (std::int64_t u = low; u <= high; ++u) {
        const std::int64_t v = std::min(u, span - u);
        first = std::min(first, v);
        last = std::max(last, v);
    }
    std::array<long double, TDamageSpread::BarCount> folded{};
    TFarSpread(problem.Dice, problem.Sides).Compute(first, last, folded.data());
    for (std::int64_t u = low; u <= high; ++u) {
        const std::int64_t total = u + problem.Dice + problem.Bonus;
        percent[static_cast<std::size_t>(total - 1)] =
            folded[static_cast<std::size_t>(std::min(u, span - u) - first)] * 100.0L;
    }
}

void ComputePercents(std::int64_t dice, std::int64_t sides, std::int64_t bonus, TPercents& percent)
{
    const TProblem problem{dice, sides, bonus, 1 - bonus - dice,
                           TDamageSpread::BarCount - bonus - dice};
    if (problem.High < 0 || problem.Low > dice * (sides - 1))
        return; // every total lies outside 1..60
    if (sides == 1) {
        percent[static_cast<std::size_t>(dice + bonus - 1)] = 100.0L;
        return;
    }
    if (const TCount total = OutcomeCount(dice, sides);
        total != 0 && dice * problem.LargestWidth() <= MaxExactWork) {
        ConvolveExactly(problem, total, percent);
        return;
    }
    ComputeFar(problem, percent);
}

// The double nearest x. Below the smallest normal double the x87 store
// takes a microcode assist of some 150 cycles per value; built from the
// integer count of the smallest subnormal, the same rounding costs nothing.
double ToDouble(long double x)
{
    if (x >= std::numeric_limits<double>::min() || x == 0)
        return static_cast<double>(x);
    return std::bit_cast<double>(static_cast<std::uint64_t>(std::llrint(x * 0x1p1074L)));
}

} // namespace

void TDamageSpread::SetDiceData(std::int32_t count, std::int32_t sides, std::int32_t bonus)
{
    m_count = count;
    m_sides = sides;
    m_bonus = bonus;

    TPercents percent{};
    if (count >= 1 && sides >= 1)
        ComputePercents(count, sides, bonus, percent);

    double highest = 0;
    for (std::size_t k = 0; k < m_bars.size(); ++k) {
        m_bars[k] = ToDouble(percent[k]);
        if (m_bars[k] > highest)
            highest = m_bars[k];
    }
    m_highProbability = highest;
}
