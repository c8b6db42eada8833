#include "base/LangText.h"

namespace vivrelo {

QString GetLangText(const QString &, const QString &, const QString &defaultText)
{
    QString text = defaultText;
    text.replace(QStringLiteral("{CR}"), QStringLiteral("\r"));
    return text;
}

QString GetLangText(const LangTextRef &text)
{
    return GetLangText(
        QString::fromLatin1(text.section), QString::fromLatin1(text.key), QString::fromUtf16(text.defaultText));
}

} // namespace vivrelo
