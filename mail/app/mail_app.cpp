#include "mail_app.h"

#include "language_library.h"
#include "mail_resources.h"
#include "profile.h"

#include <dlfcn.h>

namespace {
// In the order of strings 3000 to 3010.
constexpr const char* kLanguageLibraries[] = {
    "mail_lc.so", "mail_lg.so", "mail_lf.so", "mail_li.so", "mail_ls.so", "mail_ld.so",
    "mail_lj.so", "mail_lk.so", "mail_lp.so", "mail_lda.so", "mail_lsw.so",
};
static_assert(std::size(kLanguageLibraries) == res::LastLanguage - res::FirstLanguage + 1);
} // namespace

CMailApp& CMailApp::instance()
{
    // Never destroyed: the library's unload step runs after the process has
    // destroyed its static objects (and often the host's application), and
    // must still find the record whole.
    static CMailApp* app = new CMailApp;
    return *app;
}

QString languageLibraryFor(const QString& upperCaseLanguage)
{
    if (upperCaseLanguage.isEmpty())
        return QString();
    for (int id = res::FirstLanguage; id <= res::LastLanguage; ++id)
        if (upperCaseLanguage == QLatin1String(res::englishText(0, id)))
            return QLatin1String(kLanguageLibraries[id - res::FirstLanguage]);
    return QString();
}

void CMailApp::initInstance(const QString& libraryFolder)
{
    if (initialised_)
        return;
    initialised_ = true;

    const QString suiteSettings = profile::readString(libraryFolder + QStringLiteral("Wenloft.ini"),
                                                      QStringLiteral("Scan Setting"), QStringLiteral("Path"),
                                                      QString(), 500);
    if (!suiteSettings.isEmpty()) {
        const QString section = profile::readString(suiteSettings, QStringLiteral("CaseInfo"),
                                                    QStringLiteral("DSSectionName"), QString(), 500);
        if (!section.isEmpty())
            language_ = profile::readString(suiteSettings, section, QStringLiteral("Language"), QString(), 256)
                            .toUpper();
    }

    libraryName_ = languageLibraryFor(language_);
    if (libraryName_.isEmpty())
        return;
    // A bare name: the loader searches as for any library, and our RUNPATH
    // ($ORIGIN) finds the ones installed beside us.
    void* module = dlopen(libraryName_.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return;
    auto fn = reinterpret_cast<TextFn>(dlsym(module, MAIL_LANGUAGE_TEXT_FUNCTION));
    if (!fn) {
        dlclose(module);
        return;
    }
    languageModule_ = module;
    languageText_ = fn;
}

void CMailApp::freeLanguage()
{
    languageText_ = nullptr;
    if (languageModule_)
        dlclose(languageModule_);
    languageModule_ = nullptr;
}

void CMailApp::exitInstance()
{
    // The connection and the window belong to the send that made them, and
    // are gone with it; at the process's exit Qt's own statics may be gone
    // too, so no window or socket may be touched here.
    message_.socket = nullptr;
    message_.progress.clear();
    freeLanguage();
    message_.reset();
    initialised_ = false;
    language_.clear();
    libraryName_.clear();
}

QString CMailApp::text(int id) const { return dialogText(0, id); }

QString CMailApp::dialogText(int dialog, int control) const
{
    if (languageText_)
        if (const char* t = languageText_(dialog, control))
            return QString::fromUtf8(t);
    return QString::fromUtf8(res::englishText(dialog, control));
}

QString CMailApp::protocolText(int id) { return QString::fromUtf8(res::englishText(0, id)); }
