#pragma once

// A long computation in the window's own thread (a season's table opened,
// its stations judged again): the pointer is busy at once, and once it has
// taken half a second the window goes on painting between two stations.

#include <QApplication>
#include <QElapsedTimer>

class KeepPainting {
public:
    KeepPainting()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        started_.start();
    }
    ~KeepPainting() { QApplication::restoreOverrideCursor(); }
    KeepPainting(const KeepPainting&) = delete;
    KeepPainting& operator=(const KeepPainting&) = delete;

    /// Called between two steps of the computation.
    void operator()()
    {
        if (started_.elapsed() < 500 || (last_.isValid() && last_.elapsed() < 40))
            return;
        last_.start();
        // Paint and timers only: a click meant for the sheet waits until the
        // computation it would disturb is done.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QElapsedTimer started_;
    QElapsedTimer last_;
};
