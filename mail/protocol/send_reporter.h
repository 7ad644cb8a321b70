#pragma once
// The one way a send speaks to the person who started it. The SMTP dialogue
// and its connection know nothing of windows: the library hands them a
// reporter that shows message boxes and the progress window, and tests hand
// them one that writes down what it heard.

#include <QString>

// What a send may have to tell the user. The numbers are those of the
// library's strings, so a reporter finds the words in the user's language.
enum SendNotice : int {
    NoticeHostUnreachable = 103,
    NoticeTimedOut = 104,
    NoticeServerRejects = 105,
    NoticeNoRecipient = 113,
    NoticeNoRecipientAccepted = 122,
    NoticeMessageRefused = 123,
    NoticeConnectionLost = 124,
    NoticeUnreadableFile = 125,
    NoticeRecipientsRefused = 126,
};

// How far the send has come, as reported through progress(value, step).
enum SendStep : int {
    StepRange = 1,      // value: lines of the attachment under way
    StepPosition = 2,   // value: lines of it sent so far
    StepStartData = 4,  // the server takes the content now
    StepSendFile = 5,   // value: index of the attachment that starts
};

class SendReporter {
public:
    virtual ~SendReporter() = default;
    // The checks passed and the connection is about to be made.
    virtual void started() {}
    // A message the user must read; detail goes on a line of its own.
    virtual void tell(SendNotice notice, const QString& detail = QString()) = 0;
    virtual void progress(int value, int step) = 0;
    // Whether the user asked the send to stop; asked on every turn of a wait.
    virtual bool cancelled() = 0;
    // A new send, and the start of its dialogue, forget an earlier Cancel.
    virtual void resetCancel() {}
    // Once per send, whatever became of it.
    virtual void ended(bool delivered) = 0;
};
