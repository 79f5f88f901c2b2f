// Files and folders dropped on the list from a file manager: real drop events
// carrying file URLs, added as the Open File dialog's choice would be.
#include "MainWindowFixture.h"
#include "MessageBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Root reads every folder whatever its mode. While this stands, the calling
// thread, and the threads it starts, give up that right.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutPermissionOverride() { ::syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

class ListDropTest : public MainWindowFixture {
protected:
    // Drags `paths` over the list and drops them, as a source offering
    // `actions` with `modifiers` held; the action the drop ended with, or
    // Qt::IgnoreAction when it was refused. The walk it starts goes on.
    Qt::DropAction StartDrop(const QStringList& paths, Qt::DropActions actions = Qt::CopyAction,
                             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint centre = m_list->viewport()->rect().center();
        QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_list->viewport(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent drop(QPointF(centre), actions, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_list->viewport(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    // Drops `paths` and waits until their walk has ended; whether the drop was taken.
    bool Drop(const QStringList& paths) {
        const bool taken = StartDrop(paths) != Qt::IgnoreAction;
        EXPECT_TRUE(WaitForWalks());
        return taken;
    }

    bool WaitForWalks() {
        return QTest::qWaitFor([&] { return !m_dialog->IsWalkingFolders(); }, 10000);
    }

    // `count` files a.mp3 ... in each of `folders` folders under `top`.
    void MakeTree(const QString& top, int folders, int count) {
        for (int folder = 0; folder < folders; ++folder) {
            const QString name = QString("%1/%2").arg(top).arg(folder, 3, 10, QChar('0'));
            ASSERT_TRUE(QDir(Music()).mkpath(name));
            for (int file = 0; file < count; ++file)
                MakeFile(QString("%1/%2.mp3").arg(name).arg(file, 4, 10, QChar('0')));
        }
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

// Whatever the source proposes, a drop is a copy: a source told "moved" may
// delete the user's originals. A drag that offers no copy is refused.
TEST_F(ListDropTest, ADropIsAlwaysACopy) {
    OpenWindow();
    const QString song = MakeFile("song.mp3");
    struct Case {
        Qt::DropActions offered;
        Qt::KeyboardModifiers held;
        Qt::DropAction proposed;
        Qt::DropAction ends;
    };
    const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    for (const Case& drag :
         {Case{any, Qt::ShiftModifier, Qt::MoveAction, Qt::CopyAction},
          Case{any, Qt::AltModifier, Qt::LinkAction, Qt::CopyAction},
          Case{Qt::MoveAction, Qt::NoModifier, Qt::MoveAction, Qt::IgnoreAction}}) {
        const QDropEvent proposal(QPointF(), drag.offered, nullptr, Qt::LeftButton, drag.held);
        ASSERT_EQ(proposal.proposedAction(), drag.proposed);
        EXPECT_EQ(StartDrop({song}, drag.offered, drag.held), drag.ends) << int(drag.proposed);
        ASSERT_TRUE(WaitForWalks());
    }
    EXPECT_EQ(m_list->GetItemCount(), 2);
}

// The drop returns before a row is in; the rows come in batches, each turn of
// the window's loop, in the order of one choice; a second drop waits for the first.
TEST_F(ListDropTest, AFolderIsWalkedOffTheUiThreadAndADropWaitsForTheOneBefore) {
    OpenWindow();
    MakeTree("tree", 5, 500);
    const QString single = MakeFile("single.mp3");
    int insertions = 0;
    QObject::connect(m_list->model(), &QAbstractItemModel::rowsInserted, m_list,
                     [&] { ++insertions; });

    ASSERT_EQ(StartDrop({Music("tree")}), Qt::CopyAction);
    EXPECT_TRUE(m_dialog->IsWalkingFolders());
    EXPECT_EQ(m_list->GetItemCount(), 0);
    ASSERT_EQ(StartDrop({single}), Qt::CopyAction);
    ASSERT_TRUE(WaitForWalks());

    QStringList expected;
    for (int folder = 4; folder >= 0; --folder)
        for (int file = 499; file >= 0; --file)
            expected << Music(QString("tree/%1/%2.mp3")
                                  .arg(folder, 3, 10, QChar('0'))
                                  .arg(file, 4, 10, QChar('0')));
    expected << single;
    QStringList listed;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        listed << m_list->GetFullPath(row);
    EXPECT_EQ(listed, expected);
    EXPECT_GE(insertions, 4);
}

// Clear all items and Clear checked item end a walk in progress, and the drops
// waiting behind it, before they clear: nothing of them comes in afterwards.
TEST_F(ListDropTest, ClearEndsTheWalkInProgress) {
    OpenWindow();
    MakeTree("tree", 2, 10);
    const QString single = MakeFile("single.mp3");
    for (int command : {ID_CLEAR_ALL, ID_CLEAR_CHECKED}) {
        ASSERT_TRUE(Drop({single}));
        m_list->SetCheck(0, true);
        ASSERT_EQ(StartDrop({Music("tree")}), Qt::CopyAction);
        ASSERT_EQ(StartDrop({Music("tree")}), Qt::CopyAction);
        // The walk cannot have ended yet: its end runs on this thread.
        ASSERT_TRUE(m_dialog->IsWalkingFolders());
        m_dialog->OnCommand(command);
        EXPECT_FALSE(m_dialog->IsWalkingFolders());
        ASSERT_TRUE(Drop({single}));
        EXPECT_EQ(Column(CSoundListCtrl::COLUMN_NAME), QStringList{"single.mp3"}) << command;
        m_dialog->OnCommand(ID_CLEAR_ALL);
    }
}

// Esc ends a walk at once as the window closes; a window destroyed in the
// middle of a walk ends it too, without a hang.
TEST_F(ListDropTest, ClosingTheWindowEndsAWalk) {
    OpenWindow();
    MakeTree("tree", 2, 10);
    ASSERT_EQ(StartDrop({Music("tree")}), Qt::CopyAction);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_FALSE(m_dialog->IsWalkingFolders());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_list->GetItemCount(), 0);

    OpenWindow();
    ASSERT_EQ(StartDrop({Music("tree")}), Qt::CopyAction);
    m_dialog.reset();
}

TEST_F(ListDropTest, AFolderThatCannotBeReadIsPassedOver) {
    OpenWindow();
    ASSERT_TRUE(QDir(Music()).mkpath("box/locked"));
    ASSERT_TRUE(QDir(Music()).mkpath("box/open"));
    MakeFile("box/a.mp3");
    MakeFile("box/locked/b.mp3");
    MakeFile("box/open/c.mp3");
    ASSERT_TRUE(QFile::setPermissions(Music("box/locked"), QFileDevice::Permissions()));
    {
        WithoutPermissionOverride guard;
        ASSERT_TRUE(Drop({Music("box")}));
    }
    ASSERT_TRUE(QFile::setPermissions(Music("box/locked"), QFileDevice::ReadOwner |
                                                               QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_NAME), QStringList({"c.mp3", "a.mp3"}));
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
}

} // namespace
