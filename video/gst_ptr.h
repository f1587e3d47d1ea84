// Owning pointers for GStreamer and GLib objects, each with its own deleter.
// A pipeline is stopped before its last reference goes.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace gst {

struct ObjectDeleter {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct PipelineDeleter {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
struct SampleDeleter {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct MessageDeleter {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct ErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};

using PipelinePtr = std::unique_ptr<GstElement, PipelineDeleter>;
using ElementPtr = std::unique_ptr<GstElement, ObjectDeleter>;
using BusPtr = std::unique_ptr<GstBus, ObjectDeleter>;
using SamplePtr = std::unique_ptr<GstSample, SampleDeleter>;
using MessagePtr = std::unique_ptr<GstMessage, MessageDeleter>;
using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;
using GStringPtr = std::unique_ptr<gchar, GFreeDeleter>;

} // namespace gst
