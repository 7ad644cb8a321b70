// Test language library: one recognisable string.
extern "C" __attribute__((visibility("default"))) const char* MailLanguageText(int table, int id)
{
    return table == 0 && id == 102 ? "\xe9\x87\x8d\xe5\xa4\x8d\xe7\x9a\x84\xe5\x9c\xb0\xe5\x9d\x80" : nullptr;
}
