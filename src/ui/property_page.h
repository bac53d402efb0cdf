#pragma once
// A tab of the calculator property sheet: loaded from the calculator when
// first shown, stored into it when left for another tab and on OK. The
// page's control notifications are held back while either runs.
#include <QWidget>

namespace zelmora {

class property_page : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The page is shown: the first time, its controls are loaded; later, it is told.
    void activate();
    // The page is left or the sheet closes with OK: a loaded page is stored.
    void deactivate();
    bool loaded() const { return loaded_; }

protected:
    virtual void load_page() = 0;
    virtual void store_page() = 0;
    // The page is shown again after another (loaded before).
    virtual void shown_again() {}

private:
    bool loaded_ = false;
};

}  // namespace zelmora
