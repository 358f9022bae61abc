#include "shell/RoomList.h"

#include "controls/DialogTemplate.h"
#include "controls/Language.h"
#include "link/Session.h"

namespace zolt {

namespace {

// In the top strip, left of the program name (dialog units; the hidden effect volume's
// place).
constexpr int kX = 368;
constexpr int kY = 1;
constexpr int kWidth = 76;
constexpr int kHeight = 14;

constexpr SText kChooseRoom{"选择房间", "Choose a room"};

} // namespace

CRoomList::CRoomList(QWidget* pParent, SVenue venue, CSession& session,
                     std::function<void()> onConnect)
    : QComboBox(pParent), m_venue(std::move(venue)), m_session(session),
      m_connect(std::move(onConnect)) {
    setGeometry(DluToPixels(kX, kY, kWidth, kHeight));
    setFont(DialogFont());
    setFocusPolicy(Qt::NoFocus);
    for (const SVenueRoom& room : m_venue.m_aRooms) {
        addItem(QString::fromStdString(room.m_strName));
    }
    setCurrentIndex(-1);
    ApplyLanguage();
    QObject::connect(this, &QComboBox::activated, this, &CRoomList::Choose);
}

void CRoomList::ApplyLanguage() {
    setPlaceholderText(LanguageText(kChooseRoom));
}

QString CRoomList::Prefix() const {
    if (!m_session.Online()) {
        return {};
    }
    for (const SVenueRoom& room : m_venue.m_aRooms) {
        if (room.m_strPort == m_session.Connection().PortInUse()) {
            return QString::fromStdString(room.m_strName) + QStringLiteral(" — ");
        }
    }
    return {};
}

void CRoomList::Choose(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    m_session.Disconnect();
    m_session.Connection().SetNamedPorts(
        {m_venue.m_aRooms[static_cast<std::size_t>(index)].m_strPort}, true);
    m_connect();
}

} // namespace zolt
