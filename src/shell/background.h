#pragma once

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Called first by a thread doing work for later (the parts of a script
// judged, the rest of its AI read): it gives way to the window's thread, so
// the list shows and answers first, and still goes on when the machine is
// busy (a lower priority, not an idle one).
inline void giveWayToTheWindow()
{
#ifdef Q_OS_LINUX
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
#endif
}
