// The window's right-click menu on a page with an equaliser: the room-correction entries and
// the A/B compare in both languages, the entries that edit disabled where the page cannot
// edit, and a filter list exported without an extension written as ".txt".
#include "ShellFixture.h"

#include "eq/FilterList.h"
#include "pages/RoomCommands.h"
#include "shell/FileCommands.h"

#include <QMenu>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace zolt {
namespace {

// Every entry of the window's right-click menu on page index, submenus' entries after
// their own ("Room correction/Show target"); those disabled also go to disabled.
QStringList MenuEntries(CZoltDlg& dlg, int index, QStringList& disabled) {
    dlg.ShowPage(index);
    QStringList texts;
    QTimer::singleShot(50, [&texts, &disabled] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr) {
            return;
        }
        const std::function<void(const QMenu&, const QString&)> walk = [&](const QMenu& menu,
                                                                           const QString& prefix) {
            for (QAction* pAction : menu.actions()) {
                const QString text = prefix + pAction->text();
                texts << text;
                if (!pAction->isEnabled()) {
                    disabled << text;
                }
                if (pAction->menu() != nullptr) {
                    walk(*pAction->menu(), text + '/');
                }
            }
        };
        walk(*pMenu, {});
        pMenu->close();
    });
    const QPoint corner(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, corner, dlg.mapToGlobal(corner));
    QApplication::sendEvent(&dlg, &event);
    return texts;
}

constexpr int kMusicPage = 0;
constexpr int kOutputPage = 3;

using RoomMenu = ShellTest;

TEST_F(RoomMenu, TheEntriesInBothLanguagesAndDisabledWhereNothingCanBeEdited) {
    auto dlg = MakeWindow();
    dlg->show();
    QStringList disabled;
    QStringList texts = MenuEntries(*dlg, kMusicPage, disabled);
    for (const char* entry :
         {"Room correction/Import measurement...", "Room correction/Target curve...",
          "Room correction/Show prediction", "Fit to target...", "Copy EQ", "Paste EQ",
          "Paste EQ and crossovers", "A/B compare/Compare (keep these settings as A)",
          "A/B compare/Compare with a preset file..."}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(entry))) << entry;
    }
    // No measurement yet, nothing copied.
    for (const char* entry : {"Room correction/Show prediction", "Fit to target...", "Paste EQ"}) {
        EXPECT_TRUE(disabled.contains(QString::fromUtf8(entry))) << entry;
    }
    EXPECT_FALSE(disabled.contains(QStringLiteral("Copy EQ")));

    dlg->Room().Copy(0);
    disabled.clear();
    MenuEntries(*dlg, kOutputPage, disabled);
    EXPECT_FALSE(disabled.contains(QStringLiteral("Paste EQ")));
    {
        const CImageGuard guard(ImageLock());
        Image()[image::kOutputMode] = 0; // "Auto": the output page edits nothing
    }
    disabled.clear();
    MenuEntries(*dlg, kOutputPage, disabled);
    EXPECT_TRUE(disabled.contains(QStringLiteral("Paste EQ")));

    dlg->SetLanguage(1);
    texts = MenuEntries(*dlg, kMusicPage, disabled);
    for (const char* entry : {"房间校正/导入测量...", "拟合到目标...", "复制均衡", "粘贴均衡",
                              "A/B 比较/比较（保留当前设置为 A）"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(entry))) << entry;
    }
}

TEST_F(RoomMenu, AFilterListExportedWithoutAnExtensionIsWrittenAsText) {
    auto dlg = MakeWindow();
    const auto folder = std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "room-menu";
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "music.txt");
    dlg->Files().ExportFiltersTo((folder / "music").string(), 0);
    std::ifstream in(folder / "music.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const CImageGuard guard(ImageLock());
    EXPECT_EQ(text, ExportFilterList(0, Image()));
    EXPECT_FALSE(std::filesystem::exists(folder / "music"));
}

} // namespace
} // namespace zolt
