#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TDlgAboutTW;
}

namespace tarnwick {

class FormStorage;
class RegistryStore;

// The About dialog: the program's name and version.
class TDlgAboutTW : public QDialog
{
    Q_OBJECT
public:
    TDlgAboutTW(RegistryStore *store, QWidget *owner);
    ~TDlgAboutTW() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    std::unique_ptr<Ui::TDlgAboutTW> ui;
    FormStorage *m_storage;
    bool m_shown = false;
};

} // namespace tarnwick
