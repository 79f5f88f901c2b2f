#include "Strings.h"

#include "resource.h"

#include <QHash>

namespace {

QHash<int, QString> BuildStringTable() {
    return {
        {IDS_ABOUTBOX, "&About BRD..."},
        {IDC_MINIMIZE, "Minimize Window"},
        {IDC_MOVE_TOP, "Move the file to the top of the list"},
        {IDC_MOVE_UP, "Move the file up a level in the list"},
        {IDC_MOVE_DOWN, "Move the file down a level in the list"},
        {IDC_MOVE_BOTTOM, "Move the file to the bottom of the list"},
        {IDC_PLAY, "Play the mp3 file"},
        {IDC_MP3TOWAVE, "Convert mp3 file to wave file"},
        {IDC_WAVETOMP3, "Convert wave file to mp3 file"},
        {IDC_CHECK_ALL, "Check all items"},
        {IDC_UNCHECK_ALL, "Uncheck all items"},
        {IDC_REVERSE_CHECKS, "Reverse check box"},
        {IDC_ADD_FILES, "Add the .mp3 file or .wav file to the list"},
        {IDC_CLEAR_LIST, "Clear the list"},
        {IDC_START, "Start to convert"},
        {IDC_OPTIONS, "Options"},
        {IDC_EXIT, "Exit from Brindle"},
        {IDC_HELP, "Help of Brindle"},
        {IDC_WEBSITE, QString("Visit Our Website : ") + kWebAddress},
        {IDS_DIRECTORY_NAME, "Directory Name"},
    };
}

} // namespace

QString LoadString(int id) {
    static const QHash<int, QString> table = BuildStringTable();
    return table.value(id);
}
