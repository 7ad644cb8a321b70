#pragma once
// Numbers of the library's strings, dialogs and controls. Language libraries
// carry their translations under the same numbers.

namespace res {

enum String : int {
    SocketsFailed = 101,
    DuplicateAddress = 102,
    HostUnreachable = 103,
    TimedOut = 104,
    ServerRejects = 105,
    SocketOpenFailed = 106,
    ConnectWhenNotConnecting = 107,
    MultipartHeader = 108,
    Boundary = 109,
    AttachmentType = 110,
    AttachmentDisposition = 111,
    Base64Encoding = 112,
    NoRecipient = 113,
    MimeVersion = 114,
    DeleteFromBook = 115,
    DeleteFromList = 116,
    TextPartType = 117,
    Description = 118,
    StartSendData = 119,
    SendFile = 120,
    NoSender = 121,
    // Outcomes the user is told about since the send reports them honestly.
    NoRecipientAccepted = 122,
    MessageRefused = 123,
    ConnectionLost = 124,
    UnreadableFile = 125,
    RecipientsRefused = 126,
    BookTooLarge = 127,
    BookNotSaved = 128,

    TipAdd = 2004,
    TipBook = 2007,
    TipMailList = 2008,
    Caption = 2009,

    FirstLanguage = 3000,
    LastLanguage = 3010,
};

enum Dialog : int {
    MailDialog = 5001,
    ProgressDialog = 5002,
    AddressBookDialog = 5003,
};

// Controls of the message dialog.
enum MailDialogControl : int {
    IdCancel = 1000,
    IdSend = 1001,
    IdRecipientList = 1004,
    IdSubject = 1005,
    IdText = 1006,
    IdAddress = 1007,
    IdTo = 1008,
    IdFrom = 1021,
    IdServer = 1022,
    // Labels.
    IdFromLabel = 1101,
    IdServerLabel = 1102,
    IdSubjectLabel = 1103,
    IdTextLabel = 1104,
    IdRecipientsLabel = 1105,
};

// Controls of the progress window.
enum ProgressControl : int {
    IdProgressBar = 1018,
    IdStatus = 1019,
    IdProgressCancel = 1020,
};

// Controls of the address book.
enum AddressBookControl : int {
    IdArrow = 1002,
    IdEntry = 2003,
    IdAdd = 2004,
    IdOk = 2005,
    IdBookCancel = 2006,
    IdBookList = 2007,
    IdMailList = 2008,
    IdEntryLabel = 2101,
    IdBookLabel = 2102,
    IdMailListLabel = 2103,
};

// The library's own (English) text of a string, or of a dialog control when
// table is a dialog number; null when there is none.
const char* englishText(int table, int id);

} // namespace res
