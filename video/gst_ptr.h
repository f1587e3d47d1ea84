// Owning pointers for GStreamer and GLib objects. A pipeline is stopped
// before its last reference goes.
#pragma once

#include "toolbox/owned.h"

#include <gst/gst.h>

namespace gst {

inline void StopPipeline(GstElement* pipeline) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
}
// GStreamer's own unref functions of its mini objects are static inline:
// these give them the linkage that a type used in headers needs.
inline void UnrefSample(GstSample* sample) {
    gst_sample_unref(sample);
}
inline void UnrefMessage(GstMessage* message) {
    gst_message_unref(message);
}
inline void UnrefCaps(GstCaps* caps) {
    gst_caps_unref(caps);
}
// A list of objects that holds a reference to each.
inline void FreeObjectList(GList* list) {
    g_list_free_full(list, gst_object_unref);
}

using PipelinePtr = Owned<GstElement, StopPipeline>;
using ElementPtr = Owned<GstElement, gst_object_unref>;
using BusPtr = Owned<GstBus, gst_object_unref>;
using SamplePtr = Owned<GstSample, UnrefSample>;
using MessagePtr = Owned<GstMessage, UnrefMessage>;
using CapsPtr = Owned<GstCaps, UnrefCaps>;
using StructurePtr = Owned<GstStructure, gst_structure_free>;
using ObjectListPtr = Owned<GList, FreeObjectList>;
using ErrorPtr = Owned<GError, g_error_free>;
using GStringPtr = Owned<gchar, g_free>;

} // namespace gst
