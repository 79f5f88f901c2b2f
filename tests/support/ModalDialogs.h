// Working a real modal dialog from a test: the action that opens it runs
// while a timer looks for the dialog and hands it to the test's code; and the
// error messages a test's actions showed.
#pragma once

#include <QStringList>

#include <functional>

class QDialog;

// Runs `action`, which opens a modal dialog, and `work` on that dialog once
// it is open. A dialog `work` leaves open is closed, failing the test; so is
// one that never opens within five seconds.
void WithModal(const std::function<void()>& action, const std::function<void(QDialog*)>& work);

// The texts of the message boxes shown so far, checking that each has the
// caption "Error".
QStringList ErrorTextsShown();
