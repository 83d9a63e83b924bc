#pragma once

// The statements of a bundle, laid out ahead of the painting: while the PDF
// writer paints one station's statement, a second thread computes the next
// station, builds its document and lays it out on the writer's pages. Only a
// couple of statements wait at a time, so a bundle of any length holds no
// more than that beside the one being painted.

#include "Control.h"
#include "RunStation.h"
#include "Stations.h"

#include <QDateTime>
#include <QImage>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QPaintDevice;
class QTextDocument;
class QThread;

class BundleStatements {
public:
    /// Starts laying out the statement of every computed station
    /// (results[i].computed) of list in order, judged as the bundle is, for
    /// device; scheme is the one picture every statement shares. The device
    /// must outlive this object and keep its page size and resolution.
    BundleStatements(const snesenie::batch::StationList& list,
                     const std::vector<snesenie::batch::StationResult>& results,
                     const snesenie::Tolerances& tolerances, const snesenie::Precision& precision,
                     const QDateTime& when, const QImage& scheme, QPaintDevice& device);
    /// Stops the second thread wherever it is and waits for it. The
    /// statements it handed over must be painted before, since the fonts
    /// they were laid out in belong to that thread.
    ~BundleStatements();
    BundleStatements(const BundleStatements&) = delete;
    BundleStatements& operator=(const BundleStatements&) = delete;

    /// The next statement, laid out for the device and owned by the calling
    /// thread; waits for it when it is not ready yet. Null past the last.
    /// Throws what laying it out threw.
    std::unique_ptr<QTextDocument> Next();

private:
    void Run();

    const snesenie::batch::StationList& list_;
    const std::vector<snesenie::batch::StationResult>& results_;
    snesenie::Tolerances tolerances_;
    snesenie::Precision precision_;
    QDateTime when_;
    QImage scheme_;
    QPaintDevice& device_;
    QThread* painter_;  // the thread the statements are handed to

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<QTextDocument>> ready_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};
