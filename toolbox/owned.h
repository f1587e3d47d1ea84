// Owning pointers for the C libraries' objects: the function that releases
// an object is the deleter's template argument, so one definition serves
// every kind (Owned<GstCaps, gst_caps_unref>, Owned<cairo_t, cairo_destroy>).
#pragma once

#include <memory>

template <auto Release>
struct Deleter {
    template <typename T>
    void operator()(T* object) const {
        Release(object);
    }
};

template <typename T, auto Release>
using Owned = std::unique_ptr<T, Deleter<Release>>;
