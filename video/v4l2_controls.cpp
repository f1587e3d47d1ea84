// A camera's controls through the V4L2 control ioctls on its device node.
// The node is opened beside the capture pipeline, which V4L2 allows.
#include "video/capture.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
    int result;
    do result = ioctl(fd, request, arg);
    while (result == -1 && errno == EINTR);
    return result;
}

std::string ControlName(const v4l2_queryctrl& q) {
    return std::string(reinterpret_cast<const char*>(q.name),
                       strnlen(reinterpret_cast<const char*>(q.name), sizeof(q.name)));
}

class V4l2Controls final : public CameraControls {
  public:
    explicit V4l2Controls(int fd) : fd_(fd) {}
    ~V4l2Controls() override { close(fd_); }
    V4l2Controls(const V4l2Controls&) = delete;
    V4l2Controls& operator=(const V4l2Controls&) = delete;

    bool Query(std::uint32_t id, CameraControlRange& range) override {
        v4l2_queryctrl q{};
        q.id = id;
        if (Ioctl(fd_, VIDIOC_QUERYCTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED))
            return false;
        range = {q.minimum, q.maximum, q.step, q.default_value};
        return true;
    }

    bool Get(std::uint32_t id, std::int32_t& value) override {
        v4l2_control c{id, 0};
        if (Ioctl(fd_, VIDIOC_G_CTRL, &c) != 0) return false;
        value = c.value;
        return true;
    }

    bool Set(std::uint32_t id, std::int32_t value) override {
        v4l2_control c{id, value};
        return Ioctl(fd_, VIDIOC_S_CTRL, &c) == 0;
    }

    std::vector<CameraControl> List() override {
        std::vector<CameraControl> list;
        v4l2_queryctrl q{};
        q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
        while (Ioctl(fd_, VIDIOC_QUERYCTRL, &q) == 0) {
            const std::uint32_t id = q.id;
            q.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
            if (q.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) continue;
            CameraControl control;
            control.id = id;
            control.name = ControlName(q);
            control.minimum = q.minimum;
            control.maximum = q.maximum;
            control.step = q.step;
            control.defaultValue = q.default_value;
            if (q.type == V4L2_CTRL_TYPE_BOOLEAN) {
                control.kind = CameraControl::Kind::kBoolean;
            } else if (q.type == V4L2_CTRL_TYPE_MENU) {
                control.kind = CameraControl::Kind::kMenu;
                for (std::int32_t i = q.minimum; i <= q.maximum; ++i) {
                    v4l2_querymenu item{};
                    item.id = id;
                    item.index = std::uint32_t(i);
                    if (Ioctl(fd_, VIDIOC_QUERYMENU, &item) == 0)
                        control.menu.emplace_back(i, reinterpret_cast<const char*>(item.name));
                }
            } else if (q.type != V4L2_CTRL_TYPE_INTEGER) {
                continue; // buttons, strings, arrays: nothing to store
            }
            if (!Get(id, control.value)) continue;
            list.push_back(std::move(control));
        }
        return list;
    }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<CameraControls> OpenV4l2Controls(const std::string& devicePath) {
    if (devicePath.empty()) return nullptr;
    const int fd = open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<V4l2Controls>(fd);
}
