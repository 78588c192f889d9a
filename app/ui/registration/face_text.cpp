#include "registration/face_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace ui {

QString personEntryText(const persons::PersonRecord& person) {
    return QStringLiteral("%1|%2|%3")
        .arg(person.access)
        .arg(QString::fromLocal8Bit(person.userId.c_str()),
             QString::fromLocal8Bit(person.name.c_str()));
}

QString faceEntryText(const persons::FaceRecord& face, int slot) {
    return QStringLiteral("%1|Face %2|%3   %4")
        .arg(face.picture ? 3 : 0)
        .arg(slot + 1)
        .arg(captureTimeText(face.time), 10)
        .arg(captureDateText(face.time), -10);
}

QString faceOfText(int slot, int count) {
    if (count <= 0) return QStringLiteral("No faces");
    return QStringLiteral("Face %1 of %2").arg(slot + 1).arg(count);
}

QString captureTimeText(const persons::CaptureTime& t) {
    const QTime time(t.hour, t.minute, t.second);
    return time.isValid() ? QLocale::system().toString(time, QLocale::ShortFormat) : QString();
}

QString captureDateText(const persons::CaptureTime& t) {
    const QDate date(t.year, t.month, t.day);
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : QString();
}

}  // namespace ui
