#include "platform/data/DataControl.h"

#include "platform/core/Error.h"
#include "platform/forms/BusyPointer.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"

#include <QApplication>
#include <QHBoxLayout>

#include <utility>

namespace data {
namespace {
// How often an idle window looks whether another program changed the file:
// one cheap version check, never a count; the shown record and the count
// follow within about a second.
constexpr int CountCheckMs = 500;

QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow, const QString& name, bool bar) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(false);
    // Narrow buttons leave the caption room between them.
    button->setFixedWidth(forms::twipsToPixels(240));
    // The outer buttons carry a bar, as |< and >|.
    if (bar)
        button->setText(arrow == Qt::LeftArrow ? QStringLiteral("|<") : QStringLiteral(">|"));
    if (bar)
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}
} // namespace

DataControl::DataControl(QWidget* parent) : QWidget(parent) {
    first_ = arrowButton(this, Qt::LeftArrow, QStringLiteral("first"), true);
    previous_ = arrowButton(this, Qt::LeftArrow, QStringLiteral("previous"), false);
    caption_ = new QLabel(this);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Sunken);
    next_ = arrowButton(this, Qt::RightArrow, QStringLiteral("next"), false);
    last_ = arrowButton(this, Qt::RightArrow, QStringLiteral("last"), true);
    // What a screen reader says for each arrow.
    first_->setAccessibleName(tr("First"));
    previous_->setAccessibleName(tr("Previous"));
    next_->setAccessibleName(tr("Next"));
    last_->setAccessibleName(tr("Last"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(first_);
    row->addWidget(previous_);
    row->addWidget(caption_, 1);
    row->addWidget(next_);
    row->addWidget(last_);
    setFocusPolicy(Qt::NoFocus);

    counter_ = new RecordCounter(this);
    connect(counter_, &RecordCounter::counted, this, [this](qint64 count, const CountTicket& ticket) {
        recordset_.keepCount(count, ticket); // refused when the file changed meanwhile
        followCount();
    });
    // A count starts from the event loop, once the record on screen is drawn.
    // Counting a large book costs as much CPU as the window's whole start, so
    // a window on its way to the screen is drawn first; until then the
    // counter shows what it showed.
    countStart_ = new QTimer(this);
    countStart_->setSingleShot(true);
    connect(countStart_, &QTimer::timeout, this, [this] {
        if (!recordset_.isOpen() || counter_->running() || recordset_.KnownCount())
            return;
        countAfterDrawing_ = window()->isVisible() && !drawn_;
        if (countAfterDrawing_)
            return;
        if (const auto ticket = recordset_.countTicket())
            counter_->start(recordset_.path(), recordset_.table(), *ticket);
    });
    // Whether stores can succeed is told once the first record is shown:
    // trying costs a journal file made and removed, and may wait for a lock.
    writeCheck_ = new QTimer(this);
    writeCheck_->setSingleShot(true);
    connect(writeCheck_, &QTimer::timeout, this, [this] {
        if (!recordset_.isOpen())
            return;
        try {
            recordset_.probeWrite();
        } catch (const platform::Error& error) {
            // Another program's change in progress says nothing about this file.
            if (error.cause() != platform::err::Locked)
                forms::MsgBox(failureText(Failure::ReadOnly, error), forms::vbExclamation);
        }
    });
    countCheck_ = new QTimer(this);
    countCheck_->setInterval(CountCheckMs);
    connect(countCheck_, &QTimer::timeout, this, [this] {
        followFile();
        followCount();
    });

    auto& rs = recordset_;
    recordset_.setBeforeAction([this](int action) { validate(action); });
    recordset_.setAfterAction([this] {
        fillBoxes();
        emit Reposition();
        followCount();
    });
    // At the ends the arrows stay on the first or last record.
    forms::wire(first_, &QToolButton::clicked, this, [this, &rs] { arrow([&] { rs.MoveFirst(); }); });
    forms::wire(last_, &QToolButton::clicked, this, [this, &rs] { arrow([&] { rs.MoveLast(); }); });
    forms::wire(previous_, &QToolButton::clicked, this, [this, &rs] {
        arrow([&] {
            rs.MovePrevious();
            if (rs.Bof())
                rs.MoveFirst();
        });
    });
    forms::wire(next_, &QToolButton::clicked, this, [this, &rs] {
        arrow([&] {
            rs.MoveNext();
            if (rs.Eof())
                rs.MoveLast();
        });
    });
}

DataControl::~DataControl() {
    counter_->stop();
    // The boxes may already be gone; nothing may be refilled or asked now.
    recordset_.setBeforeAction({});
    recordset_.setAfterAction({});
}

void DataControl::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    drawn_ = true;
    if (std::exchange(countAfterDrawing_, false))
        countStart_->start(0); // after the rest of the window is drawn too
}

QString DataControl::Caption() const { return caption_->text(); }
void DataControl::setCaption(const QString& caption) { caption_->setText(caption); }

void DataControl::bind(QLineEdit* box, const QString& field) {
    bindings_.append({box, field});
    // Only the user's typing marks the record changed, never our own filling.
    connect(box, &QLineEdit::textEdited, this, [this] { changed_ = true; });
}

void DataControl::Refresh() {
    try {
        // The record set reads and writes the bound fields, in the order they were bound.
        QStringList fields;
        for (const Binding& b : bindings_)
            if (!fields.contains(b.field))
                fields << b.field;
        recordset_.setFields(fields);
        recordset_.open(databaseName_, recordSource_);
    } catch (const platform::Error& error) {
        fillBoxes();
        throw platform::Error(error.number(), failureText(Failure::Open, error), error.cause());
    }
    fillBoxes();
    emit Reposition();
    writeCheck_->start(0);
    followCount();
    countCheck_->start();
}

std::optional<qint64> DataControl::KnownRecordCount() {
    if (!recordset_.isOpen())
        return std::nullopt;
    const auto count = recordset_.KnownCount();
    if (!count && !counter_->running())
        countStart_->start(0);
    return count;
}

void DataControl::followCount() {
    const auto count = KnownRecordCount();
    if (count && count != lastCount_) {
        lastCount_ = count;
        emit RecordCountChanged(*count);
    }
}

void DataControl::followFile() {
    // A box open inside a command (the save prompt, Delete's question) stands
    // for a record that must not change under it.
    if (!recordset_.isOpen() || QApplication::activeModalWidget())
        return;
    switch (recordset_.follow(changed_)) {
    case Recordset::Followed::Nothing:
        return;
    case Recordset::Followed::Reread:
    case Recordset::Followed::Moved:
        fillBoxes();
        emit Reposition();
        return;
    case Recordset::Followed::ChangedUnderEdit:
        emit ChangedUnderTyping(false);
        return;
    case Recordset::Followed::DeletedUnderEdit:
        emit ChangedUnderTyping(true);
        return;
    }
}

QString DataControl::failureText(Failure failure, const platform::Error& cause) const {
    return failureText_ ? failureText_(failure, cause) : cause.description();
}

void DataControl::validate(int action) {
    // A running count holds a read lock that would hold up this store or
    // delete; its answer would be out of date after it anyway.
    if (changed_ || action == ActionDelete || action == ActionClose) {
        countStart_->stop();
        counter_->stop();
    }
    // The typing goes to the record where it is now, should another program
    // have renumbered it since the last look.
    if (changed_)
        recordset_.follow(true);
    int act = action;
    int save = changed_ ? -1 : 0;
    if (validate_)
        validate_(act, save);
    if (save == 0 || !changed_)
        return;
    QStringList values;
    for (const QString& field : recordset_.fields()) {
        QString value;
        for (const Binding& b : bindings_)
            if (b.field == field)
                value = b.box->text();
        values << value;
    }
    store(values);
}

void DataControl::store(const QStringList& values) {
    bool asNew = false;
    for (;;) {
        try {
            const forms::BusyPointer busy; // another program may hold the file locked
            asNew ? recordset_.storeAsNew(values) : recordset_.writeRecord(values);
            return;
        } catch (const platform::Error& error) {
            // The move or close stops here and the boxes keep what was typed.
            const int cause = error.cause();
            if (cause != platform::err::ChangedElsewhere && cause != platform::err::DeletedElsewhere)
                throw platform::Error(platform::err::StoreFailed, failureText(Failure::Store, error), cause);
            // Another program's store is never overwritten unasked.
            if (forms::MsgBox(failureText(Failure::Conflict, error), forms::vbYesNo + forms::vbQuestion) !=
                forms::vbYes)
                throw platform::Error(platform::err::StoreFailed, QString(), platform::err::Declined);
            asNew = cause == platform::err::DeletedElsewhere;
        }
    }
}

void DataControl::UpdateControls() {
    if (recordset_.isAdding()) {
        recordset_.CancelUpdate(); // refills through the after-action hook
        return;
    }
    // The stored record as it is now: another program may have changed it.
    platform::resumeNext([&] { recordset_.reload(); });
    fillBoxes();
}

void DataControl::fillBoxes() {
    const bool showing = recordset_.isOpen() && recordset_.hasCurrent() && !recordset_.isAdding();
    // Without an open record set nothing typed could ever be stored: take none.
    const bool readOnly = !recordset_.isOpen();
    for (const Binding& b : bindings_) {
        b.box->setText(showing ? recordset_.field(b.field) : QString());
        b.box->setReadOnly(readOnly);
    }
    changed_ = false;
}

void DataControl::arrow(const std::function<void()>& move) {
    if (!recordset_.isOpen())
        return;
    try {
        const forms::BusyPointer busy;
        move();
    } catch (const platform::Error& error) {
        // An empty table has nothing to move to; that needs no message. A
        // failed store is worded already; any other failure is worded here.
        // Both rise to the dispatcher.
        if (error.number() == platform::err::NoCurrentRecord)
            return;
        if (error.number() == platform::err::StoreFailed)
            throw;
        throw platform::Error(error.number(), failureText(Failure::Read, error), error.cause());
    }
}

} // namespace data
