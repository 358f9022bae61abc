// The rooms of a venue in the main window's top strip (zolt --venue FILE): a list of the
// rooms by name beside the connect button. Choosing a room connects to it: the window goes
// off line from the room it was on, the room's port becomes the only candidate, and the
// lookup runs as the connect button runs it; the connect button then reconnects to that
// room. Until a room is chosen the list says so and the window stays off line. UI thread.
#pragma once

#include "link/Venue.h"

#include <QComboBox>

#include <functional>

namespace zolt {

class CSession;

class CRoomList final : public QComboBox {
    Q_OBJECT
public:
    // onConnect: the connect button's action, which looks the chosen room up while off line.
    CRoomList(QWidget* pParent, SVenue venue, CSession& session, std::function<void()> onConnect);

    // The texts of the current language.
    void ApplyLanguage();
    // "Room 1 — " while the window is on line with a room's port; else empty. The top strip
    // puts it before the mode.
    QString Prefix() const;

private:
    void Choose(int index);

    SVenue m_venue;
    CSession& m_session;
    std::function<void()> m_connect;
};

} // namespace zolt
