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
// GStreamer's unref functions of its mini objects (samples, messages, caps)
// are static inline; this one has the linkage that a type in a header needs.
inline void UnrefMiniObject(void* object) {
    gst_mini_object_unref(static_cast<GstMiniObject*>(object));
}
// A list of objects that holds a reference to each.
inline void FreeObjectList(GList* list) {
    g_list_free_full(list, gst_object_unref);
}

using PipelinePtr = Owned<GstElement, StopPipeline>;
using ElementPtr = Owned<GstElement, gst_object_unref>;
using BusPtr = Owned<GstBus, gst_object_unref>;
using SamplePtr = Owned<GstSample, UnrefMiniObject>;
using MessagePtr = Owned<GstMessage, UnrefMiniObject>;
using CapsPtr = Owned<GstCaps, UnrefMiniObject>;
using StructurePtr = Owned<GstStructure, gst_structure_free>;
using ObjectListPtr = Owned<GList, FreeObjectList>;
using ErrorPtr = Owned<GError, g_error_free>;
using GStringPtr = Owned<gchar, g_free>;

} // namespace gst
