#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>

namespace help {

// The program that checks a help file, beside the program unless told otherwise.
QString checkProgram();
void setCheckProgram(const QString& path);

// CHMLib trusts what it reads, so a damaged file can crash or hang it. A
// check reads the whole file in a small process of its own first, while the
// caller's windows go on; it gives up on the file only when the reading stops
// moving for a while, so a large sound file passes however long it takes.
class ChmCheck : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Sound, Damaged, NoChecker };
    ChmCheck(const QString& path, QObject* parent);
    ~ChmCheck() override;

signals:
    void finished(help::ChmCheck::Outcome outcome);

private:
    void end(Outcome outcome);

    QProcess process_;
    QTimer stalled_;
    bool ended_ = false;
};

} // namespace help
