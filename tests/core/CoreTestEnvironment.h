#pragma once
// A scratch home for the tests of the core: settings, documents and temporary folders all live
// in a temporary folder of the test's own.

#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class CoreTestEnvironment : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        for (const char* folder : {"config", "cache", "run", "home", "tmp"})
            QDir().mkpath(home_.filePath(folder));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath("config")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home_.filePath("cache")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home_.filePath("run")));
        qputenv("HOME", QFile::encodeName(home_.filePath("home")));
        qputenv("TMPDIR", QFile::encodeName(home_.filePath("tmp")));
        FirstInstance = true;
        SetSettingsSaveEnabled(true);
        InitializeProgramFolders(home_.filePath("app"));
        InitializeUserFolders();
        SetDefaultSettings(SettingsRecord);
    }

    QString path(const QString& name) const { return home_.filePath(name); }
    QString dataFile() const { return home_.filePath("config/Tavrin/Data"); }

    QTemporaryDir home_;
};
