#pragma once

// The statements of a bundle, made ahead of the painting: while the PDF
// writer lays out and paints one station's statement, a second thread
// computes the next station and builds its document (the text from the
// HTML, the drawing of its accuracy, the fragment the painting copies it
// from). The layout stays with the painting
// thread: a layout's glyphs point into the font engines of the thread that
// made it, and those are not safe to share. Only a couple of statements
// wait at a time, so a bundle of any length holds no more than that beside
// the one being painted.

#include "Control.h"
#include "RunStation.h"
#include "Stations.h"

#include <QDateTime>
#include <QImage>
#include <QTextDocumentFragment>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QTextDocument;
class QThread;

class BundleStatements {
public:
    /// Starts building the statement of every computed station
    /// (results[i].computed) of list in order, judged as the bundle is;
    /// scheme is the one picture every statement shares.
    BundleStatements(const snesenie::batch::StationList& list,
                     const std::vector<snesenie::batch::StationResult>& results,
                     const snesenie::Tolerances& tolerances, const snesenie::Precision& precision,
                     const QDateTime& when, const QImage& scheme);
    /// Stops the second thread wherever it is and waits for it.
    ~BundleStatements();
    BundleStatements(const BundleStatements&) = delete;
    BundleStatements& operator=(const BundleStatements&) = delete;

    /// A statement and its whole text as a fragment, taken here too.
    struct Statement {
        std::unique_ptr<QTextDocument> document;
        QTextDocumentFragment content;
    };

    /// The next statement, owned by the calling thread; waits for it when it
    /// is not ready yet. Without a document past the last. Throws what
    /// building it threw.
    Statement Next();

private:
    void Run();

    const snesenie::batch::StationList& list_;
    const std::vector<snesenie::batch::StationResult>& results_;
    snesenie::Tolerances tolerances_;
    snesenie::Precision precision_;
    QDateTime when_;
    QImage scheme_;
    QThread* painter_;  // the thread the statements are handed to

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Statement> ready_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};
