// Files and folders dropped on the list from a file manager: real drop events
// carrying file URLs, added as the Open File dialog's choice would be.
#include "MainWindowFixture.h"
#include "MessageBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class ListDropTest : public MainWindowFixture {
protected:
    // Drags `paths` over the list and drops them; whether the drop was taken.
    bool Drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint centre = m_list->viewport()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &drop);
        return drop.isAccepted();
    }
};

// A folder is walked into its subfolders, but a link back up does not loop.
TEST_F(ListDropTest, DroppedFilesAndFoldersAddTheDirectionsKindInTheChoicesOrder) {
    OpenWindow();
    ASSERT_TRUE(QDir(Music()).mkpath("album/disc 2"));
    const QString single = MakeFile("single.MP3");
    MakeFile("album/b.mp3");
    MakeFile("album/a.mp3");
    MakeFile("album/cover.jpg");
    MakeFile("album/notes.wav");
    MakeFile("album/disc 2/c.mp3");
    ASSERT_TRUE(QFile::link(Music("album"), Music("album/disc 2/loop")));
    const QString other = MakeFile("voice.wav");

    ASSERT_TRUE(Drop({single, Music("album"), other}));
    // The last of a choice comes first, as a multiple choice of the Open File dialog.
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_NAME),
              QStringList({"c.mp3", "b.mp3", "a.mp3", "single.MP3"}));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER),
              QStringList({Music("album/disc 2"), Music("album"), Music("album"), Music()}));
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());

    Click(IDC_WAVETOMP3);
    ASSERT_TRUE(Drop({single, other}));
    EXPECT_EQ(m_list->GetItemCount(), 5);
    EXPECT_EQ(m_list->GetItemText(4, CSoundListCtrl::COLUMN_NAME), "voice.wav");
    // Listed paths are added again, as Add does.
    ASSERT_TRUE(Drop({other}));
    EXPECT_EQ(m_list->GetItemCount(), 6);
}

} // namespace
