// A started desktop program inside the test process, with its own empty
// preferences folder.
#pragma once

#include "app/app_globals.h"
#include "app/app_main.h"
#include "tests/app/gui_harness.h"
#include "tests/support/temp_config_home.h"

#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

class AppTest : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GUI();
        Start();
    }
    void TearDown() override {
        if (globals && globals->instance) StopApplication();
        SetKeyboardLayout("us"); // the delivery tests change it
    }
    void Start(const AppOptions& options = BlankSource()) {
        int status = -1;
        ASSERT_TRUE(StartApplication(options, status));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(globals->window.get()));
    }
    void Restart() {
        StopApplication();
        Start();
    }
    // A source without a barcode, so that nothing is read by chance.
    static AppOptions BlankSource() {
        AppOptions options;
        options.source = "videotestsrc pattern=black is-live=true";
        return options;
    }

    TempConfigHome config;
};
