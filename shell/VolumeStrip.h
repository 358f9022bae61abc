// The master volume strip along the top of the main window: the music, mic and (hidden)
// effect volumes, each a slider with its value label, its mute button and its caption. A
// volume is a level row of the page kit over its system-block byte (bits 0..6 the level,
// bit 7 the mute), never above the maximum byte the System page sets; moving a volume
// clears its mute bit. UI thread only.
#pragma once

#include "pages/FieldBinding.h"

#include <QObject>

class QWidget;

namespace zolt {

class CVolumeStrip : public QObject, private CFieldSource {
    Q_OBJECT
public:
    // The strip over the controls of pContent (the main window's template), which owns it.
    explicit CVolumeStrip(QWidget* pContent);

    // Every volume from the system block; nothing is written.
    void Refresh();
    // The captions in the language of the language flag (1 Chinese, 0 English).
    void ApplyLanguage();
    // After a maximum-volume byte changed: every volume above its maximum drops to it with
    // its mute bit cleared; volumes at or below stay as they are.
    void ClampVolumes();
    // A slider moved (WM_SLIDER_MOVING / WM_SLIDER_MOVED): false when it is none of the
    // strip's.
    bool OnSlider(int nSlider);

    const CFieldBinder& Fields() const { return m_fields; }

private:
    // CFieldSource: every row is of the system block; nothing else follows a write.
    std::size_t BlockOffset(EBlock eBlock) const override;
    CFilter* CurveFilter(int nItem) const override;
    void AfterWrite(const SFieldBinding& row, int nControl) override;

    QWidget* m_pContent;
    CFieldBinder m_fields;
};

} // namespace zolt
