#pragma once
// One step of long work on a second thread while the window paints and
// answers. The step's end reaches the window's thread through a queued call;
// a step that was stopped never reports. The thread is joined in every path.

#include <QObject>

#include <exception>
#include <functional>
#include <thread>

#include "base/cancel.h"

namespace ql::ui {

class StepBeside : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const CancelToken& stop)>;
    // On the window's thread: the work returned (null) or threw (its error).
    using Done = std::function<void(std::exception_ptr failure)>;

    explicit StepBeside(QObject* parent = nullptr);
    ~StepBeside() override;  // stops a running step

    // Starts `work`; a step still running is stopped first.
    void start(Work work, Done done);
    // Asks the running step to stop and waits for it; its Done is not called.
    void stop();
    bool running() const { return running_; }

private:
    void finish(unsigned generation, std::exception_ptr failure);

    std::thread thread_;
    SharedCancel token_;
    Done done_;
    unsigned generation_ = 0;  // a report of an earlier step is dropped
    bool running_ = false;
};

}  // namespace ql::ui
