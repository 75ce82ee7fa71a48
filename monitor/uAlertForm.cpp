#include "uAlertForm.h"

#include "ui_uAlertForm.h"

#include "TextDateTimeFormat.h"
#include "Error.h"
#include "FormStorage.h"
#include "MessageBoxes.h"
#include "Trace.h"
#include "Translation.h"

#include <QCloseEvent>

namespace tarnwick {

TfAlert *fAlert = nullptr;

TfAlert::TfAlert(RegistryStore *store, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), ui(std::make_unique<Ui::TfAlert>()),
      m_storage(new FormStorage(store, QStringLiteral("%FORM_NAME%\\"), this, false, this))
{
    ui->setupUi(this);
    setWindowTitle(i18n::tr("Tarnwick obaveštenje"));
    // Designer keeps point sizes only; the large text is 48 pixels high on every screen.
    QFont big = ui->lblClient->font();
    big.setPixelSize(48);
    ui->lblClient->setFont(big);
}

TfAlert::~TfAlert()
{
    // A window still open at the end of the run keeps the placement it had.
    if (m_storage->hasSaved())
        return;
    try {
        m_storage->save();
    } catch (const std::exception &e) {
        // The run is ending: nobody is left to read a message box.
        trace(QStringLiteral("Alert window placement not saved: %1").arg(messageOf(e)));
    }
}

QLabel *TfAlert::lblTop() const
{
    return ui->lblTop;
}

QLabel *TfAlert::lblClient() const
{
    return ui->lblClient;
}

void TfAlert::ShowAlert(const QString &title, const QString &text, const QDateTime &when)
{
    const QString time = formatTextDateTime(when, i18n::tr("dd.mm.yyyy. hh:nn:ss"));
    ui->lblTop->setText(time + QStringLiteral(" - ") + title);
    ui->lblClient->setText(text);
    show();
    // A placement stored as minimised must not swallow an alert.
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TfAlert::setVisible(bool visible)
{
    if (visible && !m_shownBefore) {
        m_shownBefore = true;
        try {
            m_storage->restore();
        } catch (const std::exception &e) {
            MessageBoxes::showGeneralError(messageOf(e));
        }
    }
    QWidget::setVisible(visible);
}

void TfAlert::closeEvent(QCloseEvent *event)
{
    saveStorage();
    // The window stays for the next alert; closing only hides it.
    event->accept();
}

void TfAlert::saveStorage()
{
    try {
        m_storage->save();
    } catch (const std::exception &e) {
        MessageBoxes::showGeneralError(messageOf(e));
    }
}

} // namespace tarnwick
