#include "uDlgAboutTW.h"

#include "ui_uDlgAboutTW.h"

#include "Error.h"
#include "FormStorage.h"
#include "MessageBoxes.h"
#include "VersionText.h"

#include <QScreen>

namespace tarnwick {

TDlgAboutTW::TDlgAboutTW(RegistryStore *store, QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::TDlgAboutTW>()),
      m_storage(new FormStorage(store, QStringLiteral("DlgAboutTW\\"), this, false, this))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->lblVersion->setText(VersionText());
    ui->btnClose->setDefault(true);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(264, 118);
}

TDlgAboutTW::~TDlgAboutTW() = default;

void TDlgAboutTW::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        // Centred over the main window unless a stored placement says otherwise.
        if (QWidget *p = parentWidget())
            move(p->geometry().center() - rect().center());
        m_storage->restore();
        setWindowState(Qt::WindowNoState);
    }
    QDialog::showEvent(event);
}

void TDlgAboutTW::done(int result)
{
    try {
        m_storage->save();
    } catch (const std::exception &e) {
        MessageBoxes::showGeneralError(messageOf(e));
    }
    QDialog::done(result);
}

} // namespace tarnwick
