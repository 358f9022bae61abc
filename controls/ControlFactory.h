// Builds dialog templates into widgets: one row becomes the control its class names, placed
// by its dialog-unit rectangle, with its id, text, style and visibility. The only file of
// controls/ that knows every control class. UI thread only.
#pragma once

#include "controls/DialogTemplate.h"

#include <QWidget>

#include <functional>
#include <span>

namespace zolt {

// Creates the child of pParent that one template row describes.
using CustomFactory = std::function<QWidget*(const SControlTemplate& row, QWidget* pParent)>;

// Builds every row as a child of pParent, in table order (later rows lie above earlier
// ones), placed, sized, with its id, text, style and visibility. Custom rows are made by
// makeCustom (or are plain placeholder widgets without it). Returns nothing: children are
// found with DlgItem.
void BuildControls(QWidget* pParent, std::span<const SControlTemplate> aRows,
                   const CustomFactory& makeCustom = {});
// Sizes pDialog to the template, gives it the dialog font and builds its controls.
void BuildDialog(QWidget* pDialog, const SDialogTemplate& dialog,
                 const CustomFactory& makeCustom = {});
// The widget one row creates, not yet placed: used by BuildControls, and by pages that
// create a single control of a known class.
QWidget* CreateControl(const SControlTemplate& row, QWidget* pParent,
                       const CustomFactory& makeCustom = {});

} // namespace zolt
