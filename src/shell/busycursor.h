#pragma once

#include <QGuiApplication>

// Shows the busy cursor for as long as it lives, so that the cursor comes
// back however the work ends, by a return or by an exception. Keep it around
// the work only: a message shown to the user wants the normal cursor.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
