// The progress box: a small modeless window over the main window that shows bulk
// transfers (a bar, what is being read or written and the time left, and Cancel when the
// transfer can stop part way), stores and recalls (a busy text) and the device lookup. While
// it is shown the main window's content is disabled; the user cannot close it, it closes on
// the conditions of each mode, at once: no pause of the link's keeps the window from the
// user. UI thread only.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zolt {

class CShowDlg : public QDialog {
    Q_OBJECT
public:
    // parent: the main window, over which the box is centred and whose input it blocks.
    explicit CShowDlg(QWidget* parent);

    // Bar mode: range 0..total, position 0; closes when Step reaches total. With onCancel,
    // the box offers Cancel, which calls it once and says the transfer stops after the frame
    // in flight (the box then closes by Finish).
    void Start(int total, std::function<void()> onCancel = {});
    // The frame with progress step 1..total (command, parameter: what it reads or writes) has
    // been written: the bar, what is under way and the time left; at step >= total the box
    // closes and the main window is usable again.
    void Step(int step, std::uint8_t command = 0, std::uint8_t parameter = 0);
    // Busy text; closes as soon as the store-busy flag has dropped.
    void Busy();
    // "Device lookup"; closes as soon as the lookup flag has dropped.
    void Lookup();
    // Closes at once.
    void Finish();

    int Total() const { return m_nTotal; }
    QLabel* Text() const { return m_pText; }
    QProgressBar* Bar() const { return m_pBar; }
    QPushButton* CancelButton() const { return m_pCancel; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    enum class EMode { Hidden, Bar, Busy, Lookup };

    void Open(EMode mode, const QString& caption);
    void WatchFlag();
    void OnCancel();

    QLabel* m_pText;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    EMode m_eMode = EMode::Hidden;
    int m_nTotal = 0;
    QElapsedTimer m_started; // since the bar started, for the time left
    QTimer m_watch;          // polls the store-busy or lookup flag
    std::function<void()> m_onCancel;
};

} // namespace zolt
