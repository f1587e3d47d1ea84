// The dialog is built from what the camera reports, so it has no interface
// file: one row per control.
#include "app/camera_dialog.h"

#include "app/app_globals.h"
#include "video/video.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMainWindow>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QWidget* ControlEditor(ScannerInstance* instance, const CameraControl& control, QWidget* parent) {
    const std::uint32_t id = control.id;
    switch (control.kind) {
    case CameraControl::Kind::kBoolean: {
        auto* box = new QCheckBox(parent);
        box->setChecked(control.value != 0);
        QObject::connect(box, &QCheckBox::toggled, box, [instance, id](bool on) {
            VideoSetCameraControl(instance, id, on ? 1 : 0);
        });
        return box;
    }
    case CameraControl::Kind::kMenu: {
        auto* menu = new QComboBox(parent);
        for (const auto& [value, label] : control.menu) {
            menu->addItem(QString::fromStdString(label), value);
            if (value == control.value) menu->setCurrentIndex(menu->count() - 1);
        }
        QObject::connect(menu, &QComboBox::activated, menu, [instance, id, menu](int index) {
            VideoSetCameraControl(instance, id, menu->itemData(index).toInt());
        });
        return menu;
    }
    case CameraControl::Kind::kInteger:
        break;
    }
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(control.minimum, control.maximum);
    slider->setSingleStep(std::max(1, control.step));
    slider->setValue(control.value);
    QObject::connect(slider, &QSlider::valueChanged, slider,
                     [instance, id](int value) { VideoSetCameraControl(instance, id, value); });
    return slider;
}

void FillControls(ScannerInstance* instance, QFormLayout* form, QWidget* parent) {
    while (form->rowCount() > 0) form->removeRow(0);
    const std::vector<CameraControl> controls = VideoGetCameraControls(instance);
    if (controls.empty()) {
        form->addRow(new QLabel(QStringLiteral("This camera has no settings to adjust."), parent));
        return;
    }
    for (const CameraControl& control : controls)
        form->addRow(QString::fromStdString(control.name) + QLatin1Char(':'),
                     ControlEditor(instance, control, parent));
}

} // namespace

void RunCameraSettingsDialog(ScannerInstance* instance) {
    const std::string startCamera = VideoCurrentCameraId(instance);
    const std::vector<CameraControl> startValues = VideoGetCameraControls(instance);

    QDialog dialog(globals && globals->window ? globals->window.get() : nullptr);
    dialog.setWindowTitle(QStringLiteral("Camera Settings"));
    auto* column = new QVBoxLayout(&dialog);
    auto* cameras = new QComboBox(&dialog);
    for (const CameraInfo& camera : VideoListCameras()) {
        cameras->addItem(QString::fromStdString(camera.name), QString::fromStdString(camera.id));
        if (camera.id == startCamera) cameras->setCurrentIndex(cameras->count() - 1);
    }
    auto* cameraRow = new QFormLayout;
    cameraRow->addRow(QStringLiteral("&Camera:"), cameras);
    column->addLayout(cameraRow);
    auto* controlsBox = new QWidget(&dialog);
    auto* form = new QFormLayout(controlsBox);
    column->addWidget(controlsBox);
    FillControls(instance, form, controlsBox);
    QObject::connect(cameras, &QComboBox::activated, &dialog, [&](int index) {
        VideoChooseCamera(instance, cameras->itemData(index).toString().toStdString());
        FillControls(instance, form, controlsBox);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    column->addWidget(buttons);

    if (dialog.exec() == QDialog::Accepted) return;
    if (VideoCurrentCameraId(instance) != startCamera) VideoChooseCamera(instance, startCamera);
    for (const CameraControl& control : startValues)
        VideoSetCameraControl(instance, control.id, control.value);
}
