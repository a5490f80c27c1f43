#include "target/SessionWatch.h"

#include <windows.h>

#include "logging/LogStatement.h"
#include "support/MonotonicClock.h"
#include "target/VistalyneMessageProcessor.h"
#include "target/VistalyneProcessMonitor.h"

void SessionWatchTick() {
    if (VistalyneProcessMonitor* monitor = CurrentProcessMonitor.get()) {
        if (monitor->IsTargetGone(ElapsedMilliseconds())) {
            WriteLogLine(LogLine() << "Vistalyne handle cannot be found, posting quit messsage");
            PostQuitMessage(0);
        }
    }
    VistalyneMessageProcessor* processor = CurrentMessageProcessor.get();
    // Once answered, the watch is off for good: the clock need not be read on every tick.
    if (processor != nullptr && !processor->ReplyReceived()) {
        if (IsReplyOverdue(processor->ReplyReceived(), ElapsedMilliseconds(),
                           processor->StartSentTime())) {
            WriteLogLine(LogLine() << "Haven't received response to the start session message, "
                                      "posting quit message");
            PostQuitMessage(0);
        }
    }
}
