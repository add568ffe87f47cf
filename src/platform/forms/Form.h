#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

namespace forms {

// The base of every window but the main one: a client area given in twips,
// the window's own icon and the standard font, no owner window. Show() loads
// the window the first time (Form_Load, through the dispatcher). The close box
// unloads it: the instance deletes itself, so whoever opens it next loads a
// new one. hideLoaded() hides it and keeps it loaded, as a dialog's OK does.
class Form : public QWidget {
    Q_OBJECT
public:
    enum class Border { Fixed, Sizable };

    // Loads the window when it is not loaded yet (placed over the window the
    // user is in, fully on the screen), then shows it modeless and
    // brings it to the front.
    void Show();
    bool isLoaded() const { return loaded_; }
    // Whether the close box has unloaded the window (it is about to go).
    bool isUnloaded() const { return unloaded_; }

    // The client area in twips. Sizes given in twips are kept exactly; a size
    // the user drags is converted from pixels.
    int ScaleWidth() const { return scale_.width(); }
    int ScaleHeight() const { return scale_.height(); }
    void resizeClient(int width, int height);

protected:
    Form(const char* name, const QString& caption, int clientWidth, int clientHeight, const QString& icon,
         Border border = Border::Fixed);

    virtual void Form_Load() {}
    virtual void Form_Resize() {}

    // Keeps a control spanning the client width, as a control docked to an
    // edge does; it follows the width before Form_Resize runs.
    void dock(QWidget* control) { docked_.append(control); }

    // Hides the window and keeps it loaded, as OK does.
    void hideLoaded();
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize scale_;
    QList<QWidget*> docked_;
    bool loaded_ = false;
    bool hiding_ = false;
    bool unloaded_ = false;
};

} // namespace forms
