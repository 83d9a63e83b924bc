#include "BundleStatements.h"

#include "BatchBundle.h"
#include "Sheet.h"
#include "Statement.h"

#include <QString>
#include <QTextDocument>
#include <QThread>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

// Two statements built ahead are enough to keep the painter busy while
// the next is made; more would only hold memory.
constexpr std::size_t kAhead = 2;

} // namespace

BundleStatements::BundleStatements(const StationList& list, const std::vector<StationResult>& results,
                                   const Tolerances& tolerances, const Precision& precision, const QDateTime& when,
                                   const QImage& scheme)
    : list_(list), results_(results), tolerances_(tolerances), precision_(precision), when_(when), scheme_(scheme),
      painter_(QThread::currentThread())
{
    worker_ = std::thread([this] { Run(); });
}

BundleStatements::~BundleStatements()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

BundleStatements::Statement BundleStatements::Next()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) {
        if (failure_)
            std::rethrow_exception(failure_);
        return {};
    }
    Statement next = std::move(ready_.front());
    ready_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return next;
}

void BundleStatements::Run()
{
    try {
        for (std::size_t i = 0; i < list_.stations.size() && i < results_.size(); ++i) {
            if (!results_[i].computed)
                continue;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return cancelled_ || ready_.size() < kAhead; });
                if (cancelled_)
                    break;
            }
            // Computed again from the same texts rather than kept from the
            // summary's run: a sheet per station held for a whole season
            // would grow with the batch.
            Sheet sheet;
            RunStation(list_.stations[i], tolerances_, precision_, sheet);
            std::unique_ptr<QTextDocument> statement = BuildStatement(
                {sheet.Fields(), sheet.Record(), BundleStationName(list_.stations[i].name), when_}, scheme_);
            QTextDocumentFragment content(statement.get());
            // Handed over whole: the painting thread owns it from here on.
            statement->moveToThread(painter_);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                ready_.push_back({std::move(statement), std::move(content)});
            }
            changed_.notify_all();
        }
    } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex_);
        failure_ = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}
