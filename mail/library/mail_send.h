#pragma once
// The send as the library's users see it: the message record of CMailApp
// goes out through one SmtpSession, with message boxes for what the user must
// know, the progress window meanwhile, and the host's window told at the end.

// Sends the message of CMailApp and resets it. 1 when the server accepted
// the message, 0 otherwise.
int SendMail();

// A send is under way (a second one is refused until it ends).
bool SendRunning();
