// Every page test's user: the page is made, shown and driven as a person drives it —
// buttons clicked, sliders and combo boxes stepped with keys, fields typed into, points
// dragged on the curve display — and its controls are read back by id. TPage is the page
// class; TApi the main window stand-in it is given (pages that take none ignore it).
#pragma once

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/TransparentStatic.h"
#include "eq/CFStatic.h"
#include "link/Command.h"
#include "link/Sync.h"
#include "model/Command.h"
#include "pages/EQDlg.h"

#include "FakePageApi.h"

#include <QApplication>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace zolt::test {

// The frame the next synchronisation pass builds, as command, parameter, payload.
inline std::vector<int> NextSyncFrame() {
    static std::uint8_t bAlternation = 0;
    SFrameRecord frame{};
    CImageGuard guard(ImageLock());
    SyncPass(frame, bAlternation);
    const std::uint8_t* p = frame.m_abFrame;
    std::vector<int> sent{p[kCommandOffset], p[kParameterOffset]};
    sent.insert(sent.end(), p + kPayloadOffset, p + kPayloadOffset + FrameLength(frame) - 3);
    return sent;
}

inline bool IsPollFrame(const std::vector<int>& frame) {
    return frame[0] == cmd::kLevelPoll || frame[0] == cmd::kStatePoll;
}

// Every page's layout check: the children of w that pick chooses lie inside w and clear of
// each other, except pairs mayOverlap allows; returns how many were checked.
template <class FPick, class FMayOverlap>
std::size_t ExpectControlsInsideAndApart(const QWidget& w, FPick pick, FMayOverlap mayOverlap) {
    std::vector<QWidget*> apControls;
    for (QWidget* pChild : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (pick(pChild)) {
            apControls.push_back(pChild);
        }
    }
    for (std::size_t i = 0; i < apControls.size(); ++i) {
        EXPECT_TRUE(w.rect().contains(apControls[i]->geometry()))
            << ControlId(apControls[i]) << " leaves " << ControlId(&w);
        for (std::size_t j = i + 1; j < apControls.size(); ++j) {
            EXPECT_TRUE(mayOverlap(apControls[i], apControls[j]) ||
                        !apControls[i]->geometry().intersects(apControls[j]->geometry()))
                << ControlId(apControls[i]) << " and " << ControlId(apControls[j]) << " overlap";
        }
    }
    return apControls.size();
}
template <class FPick> std::size_t ExpectControlsInsideAndApart(const QWidget& w, FPick pick) {
    return ExpectControlsInsideAndApart(w, pick,
                                        [](const QWidget*, const QWidget*) { return false; });
}

// The inputs of a page with a strip bank: the strips, sliders, fields, combo boxes, buttons,
// the trackbar and the curve display.
inline bool IsStripPageInput(const QWidget* pChild) {
    return qobject_cast<const CBitmapSlider*>(pChild) || qobject_cast<const CNumEdit*>(pChild) ||
           qobject_cast<const CBitComboBox*>(pChild) || qobject_cast<const CBitButton*>(pChild) ||
           qobject_cast<const CEQDlg*>(pChild) || qobject_cast<const QSlider*>(pChild) ||
           qobject_cast<const CFStatic*>(pChild);
}

template <class TPage, class TApi = CFakePageApi> class CPageUser : public ::testing::Test {
protected:
    // Makes the page, shows it and lets it settle.
    void ShowPage() {
        if constexpr (std::is_constructible_v<TPage, CPageApi&, QWidget*>) {
            m_pPage = std::make_unique<TPage>(m_api, nullptr);
        } else {
            m_pPage = std::make_unique<TPage>(nullptr);
        }
        m_pPage->show();
        QApplication::processEvents();
    }

    // Item and everything that finds a control by id look in pPanel, a panel of the page
    // with controls of its own (the effect page's); null: in the page itself.
    void Within(QWidget* pPanel) { m_pWithin = pPanel; }
    template <class T = QWidget> T* Item(int nId) const {
        return DlgItem<T>(m_pWithin != nullptr ? m_pWithin : m_pPage.get(), nId);
    }
    bool Enabled(int nId) const { return Item(nId)->isEnabled(); }
    bool Shown(int nId) const { return Item(nId)->isVisibleTo(m_pPage.get()); }
    // The text of a caption or value label.
    QString Text(int nId) const { return Item<CTransparentStatic>(nId)->Text(); }
    QString LabelText(int nLabel) const { return Item<CEdit_Static>(nLabel)->Text(); }

    void Click(int nButton) {
        QTest::mouseClick(Item<CBitButton>(nButton), Qt::LeftButton);
        QApplication::processEvents();
    }
    // Keys on a focused control; the posted slider notices are delivered afterwards.
    void Keys(QWidget* pWidget, Qt::Key key, int nTimes = 1) {
        pWidget->setFocus();
        for (int i = 0; i < nTimes; ++i) {
            QTest::keyClick(pWidget, key);
        }
        QApplication::processEvents();
    }
    void Keys(int nId, Qt::Key key, int nTimes = 1) { Keys(Item(nId), key, nTimes); }
    // A horizontal slider to nPos with Home and Up; a combo box to item nPos likewise.
    void StepTo(int nId, int nPos) {
        Keys(nId, Qt::Key_Home);
        Keys(nId, qobject_cast<QComboBox*>(Item(nId)) ? Qt::Key_Down : Qt::Key_Up, nPos);
    }
    // Replaces a field's text and commits it with Enter.
    void Type(int nField, const char* pszText) {
        auto* pField = Item<QLineEdit>(nField);
        pField->setFocus();
        pField->selectAll();
        QTest::keyClicks(pField, QString::fromUtf8(pszText));
        QTest::keyClick(pField, Qt::Key_Return);
        QApplication::processEvents();
    }
    // Types into an edit where its cursor is, committing nothing.
    void TypeKeys(int nEdit, const QString& strKeys) {
        QTest::keyClicks(Item<QLineEdit>(nEdit), strKeys);
    }
    // Drags the point of filter nItem on the page's curve display by delta pixels.
    void DragPoint(int nItem, QPoint delta) {
        CFStatic& display = m_pPage->Display();
        const QPoint start = display.MarkerRect(nItem).center();
        QTest::mouseMove(&display, QPoint(1, 1));
        QTest::mouseMove(&display, start);
        QTest::mousePress(&display, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(&display, start + delta);
        QTest::mouseRelease(&display, Qt::LeftButton, Qt::NoModifier, start + delta);
        QApplication::processEvents();
    }

    TApi m_api;
    std::unique_ptr<TPage> m_pPage;
    QWidget* m_pWithin = nullptr;
};

} // namespace zolt::test
