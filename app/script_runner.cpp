// The script runs in a process group of its own, so that the time limit
// kills what the script started too.
#include "app/script_runner.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <unistd.h>

QString ScriptTrouble(const QString& path) {
    QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("the file %1 does not exist").arg(path);
    if (!info.isFile()) return QStringLiteral("%1 is not a file").arg(path);
    if (!info.isExecutable())
        return QStringLiteral("%1 is not executable (chmod +x makes it so)").arg(path);
    return {};
}

ScriptRunner::ScriptRunner(std::function<void(const QString&)> trouble,
                           std::function<void(const QString&)> killed)
    : trouble_(std::move(trouble)), killed_(std::move(killed)) {}

ScriptRunner::~ScriptRunner() {
    if (process_) {
        ::kill(-pid_t(process_->processId()), SIGKILL);
        process_->waitForFinished(1000);
    }
}

void ScriptRunner::Run(const QString& path, const QString& code, const QString& symbologyName) {
    if (QString trouble = ScriptTrouble(path); !trouble.isEmpty()) {
        trouble_(trouble);
        return;
    }
    Job job{path, code, symbologyName};
    auto same = [&job](const Job& other) {
        return other.path == job.path && other.code == job.code && other.name == job.name;
    };
    if (process_ && (same(running_) || std::ranges::any_of(pending_, same))) return;
    if (pending_.size() >= kMaxPendingRuns) pending_.pop_front();
    pending_.push_back(std::move(job));
    if (!process_) StartNext();
}

void ScriptRunner::StartNext() {
    if (pending_.empty()) return;
    running_ = std::move(pending_.front());
    pending_.pop_front();
    const Job& job = running_;

    process_ = new QProcess(this);
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->setChildProcessModifier([] { ::setpgid(0, 0); });
    limit_ = new QTimer(process_);
    limit_->setSingleShot(true);
    limit_->setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5% early
    connect(limit_, &QTimer::timeout, process_, [this, path = job.path] {
        ::kill(-pid_t(process_->processId()), SIGKILL);
        killed_(path);
    });
    connect(process_, &QProcess::finished, this, &ScriptRunner::Finished);
    connect(
        process_, &QProcess::errorOccurred, this,
        [this, path = job.path](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart) return;
            trouble_(
                QStringLiteral("%1 could not be started: %2").arg(path, process_->errorString()));
            Finished();
        });
    process_->start(job.path, {job.code, job.name});
    limit_->start(kScriptTimeLimitMs);
}

void ScriptRunner::Finished() {
    if (!process_) return;
    process_->disconnect(this);
    process_->deleteLater();
    process_ = nullptr;
    limit_ = nullptr;
    StartNext();
}
