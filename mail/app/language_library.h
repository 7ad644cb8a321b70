#pragma once
// What a language library (mail_lg.so and its siblings) offers the mail
// library: one C function that gives the translated text of a string or of a
// dialog's control, in UTF-8, or null when it has none.
//
//   table 0        id is a string number (101, 2004, ...)
//   table 5001..   id is a control number of that dialog; 0 is its caption

#define MAIL_LANGUAGE_TEXT_FUNCTION "MailLanguageText"

extern "C" {
typedef const char* (*MailLanguageTextFn)(int table, int id);
}
