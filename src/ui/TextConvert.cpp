#include "ui/TextConvert.h"

#include "platform/AppError.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

namespace trv {

std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString PathText(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

QString ErrorText(std::string_view what)
{
    const QByteArray bytes = QByteArray::fromStdString(EscapeControlBytes(what));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    return text;
}

} // namespace trv
