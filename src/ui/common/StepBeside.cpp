#include "ui/common/StepBeside.h"

#include <utility>

namespace ql::ui {

StepBeside::StepBeside(QObject* parent) : QObject(parent) {}

StepBeside::~StepBeside()
{
    stop();
}

void StepBeside::start(Work work, Done done)
{
    stop();
    token_ = std::make_shared<CancelToken>();
    done_ = std::move(done);
    running_ = true;
    const unsigned generation = ++generation_;
    thread_ = std::thread([this, generation, token = token_, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work(*token);
        } catch (...) {
            failure = std::current_exception();
        }
        // The thread touches nothing of the window: the report is queued,
        // and dropped when the step was stopped meanwhile.
        QMetaObject::invokeMethod(
            this, [this, generation, failure] { finish(generation, failure); }, Qt::QueuedConnection);
    });
}

void StepBeside::stop()
{
    if (token_) token_->Cancel();
    if (thread_.joinable()) thread_.join();
    ++generation_;
    running_ = false;
    done_ = {};
}

void StepBeside::finish(unsigned generation, std::exception_ptr failure)
{
    if (generation != generation_ || !running_) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    Done done = std::move(done_);
    done_ = {};
    if (done) done(failure);
}

}  // namespace ql::ui
