// Owning pointers for Cairo objects.
#pragma once

#include "toolbox/owned.h"

#include <cairo.h>

namespace cairo {

using SurfacePtr = Owned<cairo_surface_t, cairo_surface_destroy>;
using ContextPtr = Owned<cairo_t, cairo_destroy>;

} // namespace cairo
