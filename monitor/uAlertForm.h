#pragma once

#include "EventReaction.h"

#include <QDateTime>
#include <QWidget>
#include <memory>

namespace Ui {
class TfAlert;
}

class QLabel;

namespace tarnwick {

class FormStorage;
class RegistryStore;

// The alert window: an always-on-top tool window with the registration's time and title in its
// header line and the alert's text in large red letters below. One for the whole program; each
// alert replaces the texts of the one before. Closing it only hides it; its position, size and
// state are saved at every close and restored at its first showing in a run.
class TfAlert : public QWidget, public AlertTarget
{
    Q_OBJECT
public:
    // store is the program's settings store (the main window's); it must outlive the window.
    explicit TfAlert(RegistryStore *store, QWidget *parent = nullptr);
    ~TfAlert() override;

    // Header "dd.mm.yyyy. hh:nn:ss - title", the text below; shown without waiting and brought to
    // the front, also when already visible.
    void ShowAlert(const QString &title, const QString &text, const QDateTime &when) override;

    QLabel *lblTop() const;
    QLabel *lblClient() const;
    FormStorage *storage() const { return m_storage; }

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void saveStorage();

    std::unique_ptr<Ui::TfAlert> ui;
    FormStorage *m_storage;
    bool m_shownBefore = false;
};

// The program's alert window, created at start-up after the main window.
extern TfAlert *fAlert;

} // namespace tarnwick
