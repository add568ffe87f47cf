// A number handed over as a link: asked about first, since anyone's page can
// hold one, then dialed the way Dial Phone dials.
#include "dialer/DialOperations.h"

#include "dialer/Module1.h"
#include "identity/Identity.h"
#include "links/DialLink.h"
#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"

namespace dialer {

using forms::MsgBox;

void DialOperations::dialLink(const QString& link, const HolderOf& holderOf) {
    links::LinkDial read;
    try {
        read = links::readLink(link, links::homeRegion());
    } catch (const platform::Error& error) {
        MsgBox(error.description(), forms::vbOKOnly | forms::vbCritical);
        return;
    }
    // The prefixes asked about are the ones dialed.
    if (!loadSettings())
        return;

    const QString holder = holderOf ? holderOf(read.digitForms) : QString();
    const QString extension = read.number.extension;
    if (!extension.isEmpty() &&
        MsgBox(QStringLiteral("The link names the extension %1. Dial it after the number, once the call is "
                              "answered?")
                   .arg(extension),
               forms::vbYesNo | forms::vbQuestion) != forms::vbYes)
        read.number.extension.clear();

    Dial d;
    try {
        d = composeDial(read.number, DialerSettings);
    } catch (const platform::Error& error) {
        MsgBox(error.description(), forms::vbOKOnly | forms::vbCritical);
        return;
    }
    if (d.number.isEmpty())
        return; // the link's reader lets no number without digits through
    QString question = QStringLiteral("Dial %1?").arg(d.command.mid(4).chopped(1));
    if (!holder.isEmpty())
        question += QStringLiteral("\n\nThe phone book has this number for %1.").arg(holder);
    // No is the default: a stray Enter as the window comes up dials nothing.
    if (MsgBox(question, forms::vbYesNo | forms::vbQuestion | forms::vbDefaultButton2) != forms::vbYes)
        return;
    MsgBox(identity::ProNotice, forms::vbOKOnly);
    dialOut(DialKind::Phone, d, read.number.number);
}

} // namespace dialer
