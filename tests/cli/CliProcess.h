// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kolva-cli run as a process, as users and scripts run it: its exit status and both outputs. The
// environment is fixed (UTC, the C locale, a settings folder of the test's own), so texts with
// dates and numbers do not depend on the machine.

#include "files/FileFixtures.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};

class CliProcess {
public:
    CliProcess()
    {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        env_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        env_.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
        process_.setProcessEnvironment(env_);
        process_.setProgram(QStringLiteral(KOLVA_CLI));
    }
    ~CliProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    QString home(const QString& rel) const { return home_.filePath(rel); }
    // Another value of the fixed environment (TZ for a time zone with daylight-saving time).
    void setEnv(const QString& name, const QString& value)
    {
        env_.insert(name, value);
        process_.setProcessEnvironment(env_);
    }
    // Runs another program (setpriv) with kolva-cli and its arguments behind prefix.
    void setPrefix(const QString& program, const QStringList& arguments)
    {
        process_.setProgram(program);
        prefix_ = arguments + QStringList{QStringLiteral(KOLVA_CLI)};
    }

    // Runs to its end.
    CliRun run(const QStringList& args, int timeoutMs = 60000)
    {
        start(args);
        return finish(timeoutMs);
    }

    void start(const QStringList& args)
    {
        process_.setArguments(prefix_ + args);
        process_.start();
        ASSERT_TRUE(process_.waitForStarted(5000));
    }

    // Waits until standard output holds n lines (of those read so far), keeping them.
    bool waitForLines(int n, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (out_.count('\n') < n && timer.elapsed() < timeoutMs) {
            process_.waitForReadyRead(100);
            out_ += process_.readAllStandardOutput();
            if (process_.state() == QProcess::NotRunning)
                break;
        }
        return out_.count('\n') >= n;
    }

    // Waits until standard error holds text (of what was read so far), keeping both outputs.
    bool waitForError(const QByteArray& text, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!err_.contains(text) && timer.elapsed() < timeoutMs) {
            process_.waitForFinished(50);
            out_ += process_.readAllStandardOutput();
            err_ += process_.readAllStandardError();
            if (process_.state() == QProcess::NotRunning)
                break;
        }
        return err_.contains(text);
    }

    void signal(int sig) { ::kill(pid_t(process_.processId()), sig); }

    CliRun finish(int timeoutMs)
    {
        CliRun r;
        const bool ended = process_.waitForFinished(timeoutMs);
        EXPECT_TRUE(ended) << "kolva-cli did not end";
        r.out = out_ + process_.readAllStandardOutput();
        r.err = err_ + process_.readAllStandardError();
        out_.clear();
        err_.clear();
        r.exitCode = ended && process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
        return r;
    }

private:
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QProcess process_;
    QStringList prefix_;
    QByteArray out_;
    QByteArray err_;
};

using filefixtures::readAll;
using filefixtures::writeAll;
