#include "ModalDialogs.h"

#include "MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

void WithModal(const std::function<void()>& action, const std::function<void(QDialog*)>& work) {
    bool worked = false;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && !worked) {
            worked = true;
            work(dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->reject();
            }
        } else if (!dialog && waited.elapsed() > 5000) {
            poll.stop();
            ADD_FAILURE() << "no modal dialog opened";
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* stuck = qobject_cast<QDialog*>(window); stuck && stuck->isVisible())
                    stuck->reject();
        }
    });
    poll.start();
    action();
    poll.stop();
    EXPECT_TRUE(worked);
}

QStringList ErrorTextsShown() {
    QStringList texts;
    for (const RecordedMessage& message : MessageBoxSeam::Recorded()) {
        EXPECT_EQ(message.caption, "Error") << message.text.toStdString();
        texts << message.text;
    }
    return texts;
}
