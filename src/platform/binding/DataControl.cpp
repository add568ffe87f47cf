#include "platform/binding/DataControl.h"

#include "platform/core/Error.h"
#include "platform/forms/BusyPointer.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"

#include <QApplication>
#include <QHBoxLayout>

#include <utility>

namespace binding {
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

    counter_ = new data::RecordCounter(this);
    connect(counter_, &data::RecordCounter::counted, this,
            [this](qint64 count, const data::CountTicket& ticket) {
                Recordset().keepCount(count, ticket); // refused when the file changed meanwhile
                followCount();
            });
    // A count starts from the event loop, once the record on screen is drawn.
    // Counting a large book costs as much CPU as the window's whole start, so
    // a window on its way to the screen is drawn first; until then the
    // counter shows what it showed.
    countStart_ = new QTimer(this);
    countStart_->setSingleShot(true);
    connect(countStart_, &QTimer::timeout, this, [this] {
        if (!Recordset().isOpen() || counter_->running() || Recordset().KnownCount())
            return;
        countAfterDrawing_ = window()->isVisible() && !drawn_;
        if (countAfterDrawing_)
            return;
        if (const auto ticket = Recordset().countTicket())
            counter_->start(Recordset().path(), Recordset().table(), *ticket);
    });
    // Whether stores can succeed is told once the first record is shown:
    // trying costs a journal file made and removed, and may wait for a lock.
    writeCheck_ = new QTimer(this);
    writeCheck_->setSingleShot(true);
    connect(writeCheck_, &QTimer::timeout, this, [this] {
        if (!Recordset().isOpen())
            return;
        try {
            Recordset().probeWrite();
        } catch (const platform::Error& error) {
            // Another program's change in progress says nothing about this file.
            if (error.cause() != platform::err::Locked)
                forms::MsgBox(binder_.failureText(Failure::ReadOnly, error), forms::vbExclamation);
        }
    });
    countCheck_ = new QTimer(this);
    countCheck_->setInterval(CountCheckMs);
    connect(countCheck_, &QTimer::timeout, this, [this] {
        followFile();
        followCount();
    });

    auto& rs = binder_.recordset();
    binder_.setBeforeValidate([this](int action) {
        // A running count holds a read lock that would hold up this store or
        // delete; its answer would be out of date after it anyway.
        if (binder_.changed() || action == data::ActionDelete || action == data::ActionClose) {
            countStart_->stop();
            counter_->stop();
        }
    });
    binder_.setAfterAction([this] {
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

DataControl::~DataControl() { counter_->stop(); }

void DataControl::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    drawn_ = true;
    if (std::exchange(countAfterDrawing_, false))
        countStart_->start(0); // after the rest of the window is drawn too
}

QString DataControl::Caption() const { return caption_->text(); }
void DataControl::setCaption(const QString& caption) { caption_->setText(caption); }

void DataControl::bind(QLineEdit* box, const QString& field) {
    binder_.bind({field, [box] { return box->text(); },
                  [box](const QString& text, bool readOnly) {
                      box->setText(text);
                      box->setReadOnly(readOnly);
                  }});
    // Only the user's typing marks the record changed, never our own filling.
    connect(box, &QLineEdit::textEdited, this, [this] { binder_.typed(); });
}

void DataControl::Refresh() {
    binder_.open(databaseName_, recordSource_);
    emit Reposition();
    writeCheck_->start(0);
    followCount();
    countCheck_->start();
}

std::optional<qint64> DataControl::KnownRecordCount() {
    if (!Recordset().isOpen())
        return std::nullopt;
    const auto count = Recordset().KnownCount();
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
    if (!Recordset().isOpen() || QApplication::activeModalWidget())
        return;
    switch (Recordset().follow(binder_.changed())) {
    case data::Recordset::Followed::Nothing:
        return;
    case data::Recordset::Followed::Reread:
    case data::Recordset::Followed::Moved:
        binder_.fill();
        emit Reposition();
        return;
    case data::Recordset::Followed::ChangedUnderEdit:
        emit ChangedUnderTyping(false);
        return;
    case data::Recordset::Followed::DeletedUnderEdit:
        emit ChangedUnderTyping(true);
        return;
    }
}

bool DataControl::storeOver(const QString& question) {
    return forms::MsgBox(question, forms::vbYesNo + forms::vbQuestion) == forms::vbYes;
}

void DataControl::whileWaiting(const std::function<void()>& store) {
    const forms::BusyPointer busy; // another program may hold the file locked
    store();
}

void DataControl::arrow(const std::function<void()>& move) {
    if (!Recordset().isOpen())
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
        throw platform::Error(error.number(), binder_.failureText(Failure::Read, error), error.cause());
    }
}

} // namespace binding
