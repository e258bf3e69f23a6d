#pragma once

#include "platform/FileOperations.h"

#include <QDialog>
#include <QElapsedTimer>

#include <chrono>

class QLabel;
class QProgressBar;

namespace corvel {

// Shows how far a long copy has got. It stays hidden until the copy has run for `delay` from its
// first report, so a short copy shows nothing. It offers no Cancel and cannot be closed: the copy
// runs to its end.
class CopyProgressDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Unit
    {
        Bytes,
        Files
    };

    // `what` names what is copied, e.g. a module's file name.
    CopyProgressDialog(const QString &what, Unit unit, QWidget *parent = nullptr,
                       std::chrono::milliseconds delay = std::chrono::seconds(1));

    // The copy's progress callback: shows `done` of `total` once the delay is over.
    void report(qint64 done, qint64 total);
    fileops::Progress progress();

    // "12.5 MB of 256.0 MB", "1,200 of 20,000 files".
    static QString describe(qint64 done, qint64 total, Unit unit);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QLabel *m_amount;
    QProgressBar *m_bar;
    Unit m_unit;
    std::chrono::milliseconds m_delay;
    QElapsedTimer m_started;
    QElapsedTimer m_painted;
};

} // namespace corvel
