#include "app/Zoom.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::size_t NearestStep(int percent)
{
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < ZoomSteps.size(); ++i) {
        // Differences in long long: a hand-edited value may be any int.
        const long long here = std::llabs(static_cast<long long>(ZoomSteps[i]) - percent);
        const long long best = std::llabs(static_cast<long long>(ZoomSteps[nearest]) - percent);
        if (here < best) {
            nearest = i;
        }
    }
    return nearest;
}

} // namespace

int SnapZoom(int percent)
{
    return ZoomSteps[NearestStep(percent)];
}

int ZoomInStep(int percent)
{
    return ZoomSteps[std::min(NearestStep(percent) + 1, ZoomSteps.size() - 1)];
}

int ZoomOutStep(int percent)
{
    const std::size_t nearest = NearestStep(percent);
    return ZoomSteps[nearest == 0 ? 0 : nearest - 1];
}
