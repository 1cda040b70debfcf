#pragma once

#include <QMap>
#include <QPair>
#include <QString>
#include <optional>

// Windows locale information items, by the numbers the regional-formats routine asks for.
namespace LocaleItem {
enum : int
{
    SLIST = 0x0C,
    SDECIMAL = 0x0E,
    STHOUSAND = 0x0F,
    SCURRENCY = 0x14,
    ICURRDIGITS = 0x19,
    ICURRENCY = 0x1B,
    INEGCURR = 0x1C,
    SDATE = 0x1D,
    STIME = 0x1E,
    SSHORTDATE = 0x1F,
    SLONGDATE = 0x20,
    ITIME = 0x23,
    ITLZERO = 0x25,
    S1159 = 0x28,
    S2359 = 0x29,
    SDAYNAME1 = 0x2A,       // Monday; SDAYNAME1 + 6 is Sunday
    SABBREVDAYNAME1 = 0x31, // Monday
    SMONTHNAME1 = 0x38,     // January; SMONTHNAME1 + 11 is December
    SABBREVMONTHNAME1 = 0x44,
    SISO3166CTRYNAME = 0x5A,
    ITIMEMARKPOSN = 0x1005,
    ICALENDARTYPE = 0x1009,
};
} // namespace LocaleItem

// Primary language ids (the low ten bits of a Windows language id).
namespace LocaleLanguage {
enum : int
{
    Neutral = 0x00,
    Arabic = 0x01,
    Chinese = 0x04,
    Czech = 0x05,
    Danish = 0x06,
    German = 0x07,
    Greek = 0x08,
    English = 0x09,
    Spanish = 0x0A,
    Finnish = 0x0B,
    French = 0x0C,
    Hebrew = 0x0D,
    Hungarian = 0x0E,
    Icelandic = 0x0F,
    Italian = 0x10,
    Japanese = 0x11,
    Korean = 0x12,
    Dutch = 0x13,
    Norwegian = 0x14,
    Polish = 0x15,
    Portuguese = 0x16,
    Romanian = 0x18,
    Russian = 0x19,
    Croatian = 0x1A,
    Slovak = 0x1B,
    Swedish = 0x1D,
    Thai = 0x1E,
    Turkish = 0x1F,
    Ukrainian = 0x22,
    Estonian = 0x25,
    Latvian = 0x26,
    Lithuanian = 0x27,
    Vietnamese = 0x2A,
};
} // namespace LocaleLanguage

// Which locale an item is read from: the user's default locale (LOCALE_USER_DEFAULT) or the
// locale of the calling thread.
enum class LocaleScope
{
    UserDefault = 0x400,
    Thread = 0x800
};

// Answers Windows locale items from the platform's locale data.
class LocaleInfo
{
public:
    virtual ~LocaleInfo();
    // The item's raw text, or nothing when the locale has no value for it.
    virtual std::optional<QString> item(LocaleScope scope, int item) const = 0;
    // The primary language id of the locale the process started with (LocaleLanguage).
    virtual int startupPrimaryLanguage() const = 0;
};

// The instance in force; by default the one that reads the Linux locale.
LocaleInfo& localeInfo();
// Puts another instance in force (not owned); nullptr goes back to the default.
void setLocaleInfo(LocaleInfo* info);

// Reads the user's locale from the environment (LC_ALL, the category variable, LANG; "C" when
// none is set) through the C library's locale data and QLocale, without touching the process's
// own C locale. A locale the C library cannot open reads as "C", as it does for the rest of the
// process. The thread scope reads the same locale as the user default.
class LinuxLocaleInfo : public LocaleInfo
{
public:
    LinuxLocaleInfo();
    std::optional<QString> item(LocaleScope scope, int item) const override;
    // Taken from the environment when this object was made.
    int startupPrimaryLanguage() const override { return m_startupLanguage; }

    // The locale name in force for a category (LC_NUMERIC, LC_TIME, ...): LC_ALL, then the
    // category's variable, then LANG, then "C".
    static QString localeNameFor(int category);
    // The primary language id of a locale name ("sv_SE.UTF-8" -> Swedish); English for "C" and
    // "POSIX", Neutral when unknown.
    static int primaryLanguageOf(const QString& localeName);
    // A strftime date picture in Windows letters ("%d.%m.%Y" -> "dd.MM.yyyy").
    static QString windowsDatePicture(const QString& strftimeFormat);

private:
    int m_startupLanguage;
};

// A locale made of a table of items, for tests.
class FakeLocaleInfo : public LocaleInfo
{
public:
    // Sets an item's value in both scopes.
    void set(int item, const QString& value);
    void set(LocaleScope scope, int item, const QString& value);
    // Makes an item unreadable (in both scopes).
    void remove(int item);
    void setStartupPrimaryLanguage(int language) { m_language = language; }

    std::optional<QString> item(LocaleScope scope, int item) const override;
    int startupPrimaryLanguage() const override { return m_language; }

    // Every item a Windows English (United States) locale gives.
    static FakeLocaleInfo unitedStates();

private:
    QMap<QPair<int, int>, QString> m_items;
    int m_language = 0x09;
};

// Fills the whole process-wide FormatSettings from the locale in force, as the class library
// does when the process starts: the fifteen regional settings (an item the locale lacks keeps
// its value from FormatSettings::defaults()) and the month and day names.
void initFormatSettingsFromLocale();
