#pragma once
// The hand-off runs against fake mail programs: shell scripts on a PATH made
// here that write the arguments they were started with, one a line, beside
// themselves, and a mailto handler registered in XDG folders made here.
// Shared by the model's hand-off tests and the E-mail button's boxes.
#include "mail_handoff.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <map>
#include <optional>

// Every variable the desktop and xdg-mime read, cleared for each test.
inline constexpr const char* kEnvironment[] = {
    "PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
    "XDG_CURRENT_DESKTOP", "XDG_MENU_PREFIX", "DESKTOP_SESSION", "KDE_FULL_SESSION",
    "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID",
};

class HandOff : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        for (const char* name : kEnvironment) {
            if (qEnvironmentVariableIsSet(name))
                saved_[name] = qgetenv(name);
            qunsetenv(name);
        }
        for (const char* dir : {"bin", "data/applications", "config", "sysdata", "sysconfig"})
            QDir().mkpath(path(dir));
        // Only the fakes are on PATH, so a real mail program never starts.
        qputenv("PATH", QFile::encodeName(path("bin")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("sysdata")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("sysconfig")));
        // A blank, a quote and a letter beyond ASCII in both folder and file.
        package_ = path(QStringLiteral("Mein Rätsel's/Cat Püz.run"));
        QDir().mkpath(QFileInfo(package_).path());
        writeFile(package_, "#!/bin/sh\n");
    }

    void TearDown() override
    {
        for (const char* name : kEnvironment) {
            const auto it = saved_.find(name);
            if (it != saved_.end())
                qputenv(name, it->second);
            else
                qunsetenv(name);
        }
    }

    QString path(const QString& relative) const { return root_.filePath(relative); }
    QString path(const char* relative) const { return path(QString::fromUtf8(relative)); }

    static void writeFile(const QString& file, const QByteArray& text, bool executable = false)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }

    // A mail program that records its arguments in FILE.args.
    QString fakeProgram(const QString& file)
    {
        QDir().mkpath(QFileInfo(file).path());
        writeFile(file,
                  "#!/bin/sh\n"
                  ": > \"$0.part\"\n"
                  "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.part\"; done\n"
                  "/bin/mv \"$0.part\" \"$0.args\"\n",
                  true);
        return file;
    }
    QString fakeOnPath(const char* name) { return fakeProgram(path("bin/") + QString::fromUtf8(name)); }

    // Makes ID the desktop's mailto handler and checks that xdg-mime agrees.
    void registerHandler(const QString& id, const QString& exec, const QString& name)
    {
        writeFile(path("data/applications/") + id,
                  "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + exec.toUtf8() +
                      "\nMimeType=x-scheme-handler/mailto;\n");
        writeFile(path("config/mimeapps.list"),
                  "[Default Applications]\nx-scheme-handler/mailto=" + id.toUtf8() + "\n");
        EXPECT_EQ(mail_handoff::defaultHandlerId(), id);
        QProcess query;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), path("bin") + QStringLiteral(":/usr/bin:/bin"));
        query.setProcessEnvironment(env);
        query.start(QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), {"/usr/bin", "/bin"}),
                    {"query", "default", "x-scheme-handler/mailto"});
        ASSERT_TRUE(query.waitForFinished(10000));
        EXPECT_EQ(QString::fromUtf8(query.readAllStandardOutput()).trimmed(), id);
    }

    // The arguments a fake was started with; nullopt when it never ran.
    static std::optional<QStringList> argumentsOf(const QString& program, int waitMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        QFile f(program + QStringLiteral(".args"));
        while (!f.exists() && timer.elapsed() < waitMs)
            QThread::msleep(20);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines.removeLast(); // after the last newline
        return lines;
    }

    static QString decoded(const QString& encoded)
    {
        return QUrl::fromPercentEncoding(encoded.toUtf8());
    }

    QTemporaryDir root_;
    QString package_;
    std::map<const char*, QByteArray> saved_;
};
