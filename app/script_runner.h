// Runs the user's script with the code and the symbology name as its two
// arguments, without a shell, one run at a time in the order of the reads,
// in the background so the video never waits for it. A run that takes more
// than 10 seconds is killed with everything it started.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class QProcess;
class QTimer;

inline constexpr int kScriptTimeLimitMs = 10'000;

class ScriptRunner final : public QObject {
  public:
    // trouble(message) is told when a script cannot be run at all.
    explicit ScriptRunner(std::function<void(const QString&)> trouble);
    ~ScriptRunner() override;

    void Run(const QString& path, const QString& code, const QString& symbologyName);

    bool Busy() const { return process_ != nullptr; }
    qint64 RunningPid() const; // 0 when idle

  private:
    struct Job {
        QString path, code, name;
    };
    void StartNext();
    void Finished();

    std::function<void(const QString&)> trouble_;
    std::deque<Job> pending_;
    QProcess* process_ = nullptr;
    QTimer* limit_ = nullptr;
};

// Why the file cannot be run as a script, or empty when it can.
QString ScriptTrouble(const QString& path);
