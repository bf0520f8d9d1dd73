// The star kernels of a job drawn larger (render/job_scale.h): each star spread over a
// grid that many times finer, for the star filter to stamp once per block of that side.
#pragma once

#include "render/effects/effect_kernel.h"

namespace vornel {

// The star for blocks of factor x factor pixels, stamped at a block's top-left pixel:
// cell (dy, dx) holds the star read bilinearly at ((dx + 0.5) / factor - 0.5,
// (dy + 0.5) / factor - 0.5) cells from its centre, that is at the point of the block's
// pixel in the unscaled grid, and 0 beyond the star's own edge. The weights are not
// divided: the filter makes one stamp per block, as many as at scale 1 along an edge.
// Factor 1, and a star that is not loaded, come back as they are.
EffectKernel enlargeStarKernel(const EffectKernel& star, int factor);

}  // namespace vornel
