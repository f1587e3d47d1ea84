// The confirmation sound: a sound file among the resources, played with a
// GStreamer playbin. Starting it is handed to GStreamer's own thread pool,
// so the scan loop never waits, even for an audio device that is slow to
// open; no file or no audio device plays nothing and reports nothing.
#include "toolbox/resources.h"
#include "video/gst_ptr.h"
#include "video/live_video.h"

#include <gst/gst.h>

#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr const char* kSoundExtension = ".wav";

// Shared by the movie and the start calls in flight, which may outlive it.
struct Player {
    std::mutex mutex;
    GstElement* playbin = nullptr; // owned; null once disposed
};

void StartFromBeginning(GstElement*, gpointer data) {
    auto& player = **static_cast<std::shared_ptr<Player>*>(data);
    std::lock_guard lock(player.mutex);
    if (!player.playbin) return;
    gst_element_set_state(player.playbin, GST_STATE_READY);
    gst_element_set_state(player.playbin, GST_STATE_PLAYING);
}

void ReleasePlayerRef(gpointer data) {
    delete static_cast<std::shared_ptr<Player>*>(data);
}

} // namespace

struct Movie {
    std::string uri;
    std::shared_ptr<Player> player = std::make_shared<Player>();
    gst::BusPtr bus;
};

Movie* AppGetMovieFromBundle(const char* name) {
    if (!name) return nullptr;
    const auto path = AppResourcePath(std::string(name) + kSoundExtension);
    if (path.empty()) return nullptr;
    gst::GStringPtr uri(gst_filename_to_uri(path.c_str(), nullptr));
    if (!uri) return nullptr;
    auto* movie = new Movie;
    movie->uri = uri.get();
    return movie;
}

void AppDisposeMovie(Movie* movie) {
    if (!movie) return;
    GstElement* playbin = nullptr;
    {
        std::lock_guard lock(movie->player->mutex);
        std::swap(playbin, movie->player->playbin);
    }
    if (playbin) gst::StopPipeline(playbin);
    delete movie;
}

void AppPlayMovieAsync(Movie* movie) {
    if (!movie) return;
    Player& player = *movie->player;
    if (!player.playbin) { // made on the first beep: a scanner that never beeps needs none
        if (!gst_init_check(nullptr, nullptr, nullptr)) return;
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        if (!playbin) return;
        g_object_set(playbin, "uri", movie->uri.c_str(), nullptr);
        movie->bus.reset(gst_element_get_bus(playbin));
        std::lock_guard lock(player.mutex);
        player.playbin = playbin;
    }
    // Nobody watches the player's bus; drop what the last play left there.
    while (gst::MessagePtr message{gst_bus_pop(movie->bus.get())}) {
    }
    gst_element_call_async(player.playbin, StartFromBeginning,
                           new std::shared_ptr<Player>(movie->player), ReleasePlayerRef);
}
