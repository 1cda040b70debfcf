#include "LocaleInfo.h"

LocaleInfo::~LocaleInfo() = default;

namespace {
LocaleInfo* g_override = nullptr;
}

LocaleInfo& localeInfo()
{
    if (g_override)
        return *g_override;
    static LinuxLocaleInfo linuxInfo;
    return linuxInfo;
}

void setLocaleInfo(LocaleInfo* info)
{
    g_override = info;
}

void FakeLocaleInfo::set(int item, const QString& value)
{
    set(LocaleScope::UserDefault, item, value);
    set(LocaleScope::Thread, item, value);
}

void FakeLocaleInfo::set(LocaleScope scope, int item, const QString& value)
{
    m_items.insert({static_cast<int>(scope), item}, value);
}

void FakeLocaleInfo::remove(int item)
{
    m_items.remove({static_cast<int>(LocaleScope::UserDefault), item});
    m_items.remove({static_cast<int>(LocaleScope::Thread), item});
}

std::optional<QString> FakeLocaleInfo::item(LocaleScope scope, int item) const
{
    const auto it = m_items.constFind({static_cast<int>(scope), item});
    if (it == m_items.constEnd())
        return std::nullopt;
    return *it;
}

FakeLocaleInfo FakeLocaleInfo::unitedStates()
{
    using namespace LocaleItem;
    FakeLocaleInfo us;
    us.set(SCURRENCY, QStringLiteral("$"));
    us.set(ICURRENCY, QStringLiteral("0"));
    us.set(INEGCURR, QStringLiteral("0"));
    us.set(STHOUSAND, QStringLiteral(","));
    us.set(SDECIMAL, QStringLiteral("."));
    us.set(ICURRDIGITS, QStringLiteral("2"));
    us.set(SDATE, QStringLiteral("/"));
    us.set(SSHORTDATE, QStringLiteral("M/d/yyyy"));
    us.set(SLONGDATE, QStringLiteral("dddd, MMMM d, yyyy"));
    us.set(STIME, QStringLiteral(":"));
    us.set(S1159, QStringLiteral("AM"));
    us.set(S2359, QStringLiteral("PM"));
    us.set(ITLZERO, QStringLiteral("0"));
    us.set(ITIME, QStringLiteral("0"));
    us.set(ITIMEMARKPOSN, QStringLiteral("0"));
    us.set(SLIST, QStringLiteral(","));
    us.set(SISO3166CTRYNAME, QStringLiteral("US"));
    us.set(ICALENDARTYPE, QStringLiteral("1"));
    static const char* const days[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                       "Friday", "Saturday", "Sunday"};
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    for (int i = 0; i < 7; ++i) {
        const QString day = QString::fromLatin1(days[i]);
        us.set(SDAYNAME1 + i, day);
        us.set(SABBREVDAYNAME1 + i, day.left(3));
    }
    for (int i = 0; i < 12; ++i) {
        const QString month = QString::fromLatin1(months[i]);
        us.set(SMONTHNAME1 + i, month);
        us.set(SABBREVMONTHNAME1 + i, month.left(3));
    }
    us.setStartupPrimaryLanguage(LocaleLanguage::English);
    return us;
}
