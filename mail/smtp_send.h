#pragma once
// Sending the collected message: connect, run the SMTP dialogue, write the
// MIME content, and keep the progress window and the host informed.

#include <QByteArray>
#include <QString>

// Sends the message of CMailApp and resets it. 1 when the server accepted
// the message, 0 otherwise.
int SendMail();

// A send is under way (a second one is refused until it ends).
bool SendRunning();

// The conversation entry for connection events (see CMailSocket).
void RunConversation(int event, const QByteArray& data);

// Drives the progress window: 1 range, 2 position, 3 end of the send,
// 4 "start send data", 5 "send file" for attachment number value.
void ReportProgress(int value, int code);

// "host:port" or "[v6]:port" with port 25 when none is given. False when the
// port is not a number from 1 to 65535.
bool splitServer(const QString& server, QString& host, quint16& port);
