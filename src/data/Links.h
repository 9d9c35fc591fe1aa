#pragma once
// The project's web site and the author's e-mail address, shown in the about
// box and opened from the Help menu. Each is kept here, once.

#include "data/Version.h"

#include <QString>
#include <QUrl>
#include <QUrlQuery>

namespace quorvan {

// PLACEHOLDER: the project has no web site yet; replace when it has one.
inline constexpr const char* kWebSiteAddress = "https://example.org/quorvan";

// PLACEHOLDER: the project has no mailbox yet; replace when it has one.
inline constexpr const char* kAuthorEmail = "quorvan@example.org";

inline QString WebSiteText()
{
    return QString::fromLatin1(kWebSiteAddress);
}

inline QString AuthorEmailText()
{
    return QString::fromLatin1(kAuthorEmail);
}

// The subject of a new message to the author: "Quorvan V0.4" (major and minor
// only, no space after the V).
inline QString EmailSubject(int major = kVersionMajor, int minor = kVersionMinor)
{
    return QStringLiteral("Quorvan V") + VersionText(major, minor);
}

inline QUrl WebSiteUrl()
{
    return QUrl(WebSiteText(), QUrl::StrictMode);
}

// "mailto:<address>?Subject=Quorvan V0.4"; the space travels as %20, which
// mail programs turn back into a space.
inline QUrl EmailUrl(int major = kVersionMajor, int minor = kVersionMinor)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(AuthorEmailText());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("Subject"), EmailSubject(major, minor));
    url.setQuery(query);
    return url;
}

} // namespace quorvan
