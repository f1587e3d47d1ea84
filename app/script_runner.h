// Runs the user's script with the code and the symbology name as its two
// arguments, without a shell, one run at a time in the order of the reads,
// in the background so the video never waits for it. A read that comes
// while a run lasts waits only when its code is neither the one being run
// nor one already waiting, and only the few latest wait: a code left in
// view of a slow script is not run again and again long after. A run that
// takes more than 10 seconds is killed with everything it started.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class QProcess;
class QTimer;

inline constexpr int kScriptTimeLimitMs = 10'000;
inline constexpr std::size_t kMaxPendingRuns = 3; // reads waiting behind a run

class ScriptRunner final : public QObject {
  public:
    // trouble(message) is told when a script cannot be run at all, and
    // killed(path) when a run was killed for its time.
    ScriptRunner(std::function<void(const QString&)> trouble,
                 std::function<void(const QString&)> killed);
    ~ScriptRunner() override;

    void Run(const QString& path, const QString& code, const QString& symbologyName);

  private:
    struct Job {
        QString path, code, name;
    };
    void StartNext();
    void Finished();

    std::function<void(const QString&)> trouble_, killed_;
    Job running_;
    std::deque<Job> pending_;
    QProcess* process_ = nullptr;
    QTimer* limit_ = nullptr;
};

// Why the file cannot be run as a script, or empty when it can.
QString ScriptTrouble(const QString& path);
