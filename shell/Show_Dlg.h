// The progress box: a small modeless window over the main window that shows bulk
// transfers (a bar), stores and recalls (a busy text) and the device lookup. While it is
// shown the main window's content is disabled; the user cannot close it, it closes on
// the conditions of each mode. UI thread only.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace zolt {

class CShowDlg : public QDialog {
    Q_OBJECT
public:
    // parent: the main window, over which the box is centred and whose input it blocks.
    explicit CShowDlg(QWidget* parent);

    // Bar mode: range 0..total, position 0; closes when Step reaches total.
    void Start(int total);
    // Bar position; at step >= total the box closes and the main window is usable again.
    void Step(int step);
    // Busy text; closes half a second after the store-busy flag has dropped.
    void Busy();
    // "Device lookup"; closes a second after the lookup flag has dropped.
    void Lookup();
    // Closes at once.
    void Finish();

    int Total() const { return m_nTotal; }
    QLabel* Text() const { return m_pText; }
    QProgressBar* Bar() const { return m_pBar; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    enum class EMode { Hidden, Bar, Busy, Lookup };

    void Open(EMode mode, const QString& caption);
    void WatchFlag();

    QLabel* m_pText;
    QProgressBar* m_pBar;
    EMode m_eMode = EMode::Hidden;
    int m_nTotal = 0;
    QTimer m_watch;  // polls the store-busy or lookup flag
    QTimer m_linger; // the pause between the flag dropping and the box closing
};

} // namespace zolt
