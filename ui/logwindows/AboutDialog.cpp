#include "ui/logwindows/AboutDialog.h"

#include "ui/Latin1Text.h"
#include "ui/logwindows/ButtonStyle.h"
#include "ui/widgets/Colours.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace aql::ui {

namespace {
constexpr qreal kProductScale = 1.4;
// The notice wraps at about this many characters, so the window stays a readable width.
constexpr int kNoticeColumns = 56;
} // namespace

AboutDialog::AboutDialog(shell::AboutController &controller, QWidget *parent)
    : QDialog(parent), m_controller(controller), m_topmost(this) {
    setModal(true);
    setObjectName(QStringLiteral("aboutWindow"));

    m_productLabel = new QLabel(this);
    m_product = new QLabel(this);
    m_versionLabel = new QLabel(this);
    m_version = new QLabel(this);
    m_rights = new QLabel(this);
    m_warning = new QLabel(this);
    m_compatibility = new QLabel(this);
    m_ok = new QPushButton(this);
    m_ok->setDefault(true);
    styleFilledButton(m_ok);

    QFont productFont = m_product->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * kProductScale);
    m_product->setFont(productFont);
    QPalette blueText = m_product->palette();
    blueText.setColor(QPalette::WindowText, QColor(colours::kBlue));
    m_product->setPalette(blueText);
    m_productLabel->setBuddy(m_product);
    m_versionLabel->setBuddy(m_version);
    for (QLabel *value : {m_product, m_version, m_rights}) {
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_warning->setWordWrap(true);
    m_warning->setFixedWidth(fontMetrics().averageCharWidth() * kNoticeColumns);
    m_compatibility->setWordWrap(true);
    m_compatibility->setFixedWidth(m_warning->width());

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(fontMetrics().averageCharWidth() * 2);
    // Label and value on one baseline, though the product name is set larger.
    fields->addWidget(m_productLabel, 0, 0, Qt::AlignLeft | Qt::AlignBaseline);
    fields->addWidget(m_product, 0, 1, Qt::AlignLeft | Qt::AlignBaseline);
    fields->addWidget(m_versionLabel, 1, 0, Qt::AlignLeft | Qt::AlignBaseline);
    fields->addWidget(m_version, 1, 1, Qt::AlignLeft | Qt::AlignBaseline);
    fields->addWidget(m_rights, 2, 0, 1, 2);
    fields->setColumnStretch(1, 1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    const int margin = fontMetrics().height();
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin * 2 / 3);
    layout->addLayout(fields);
    layout->addWidget(line);
    layout->addWidget(m_warning);
    layout->addWidget(m_compatibility);
    layout->addSpacing(margin / 3);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { m_controller.ok(); });

    m_subscription = m_controller.subscribe([this] { refresh(); });
    refresh();
}

void AboutDialog::setVisible(bool visible) {
    if (visible && !m_controller.view().visible) {
        m_controller.open(m_topmost);
    }
    QDialog::setVisible(visible);
}

void AboutDialog::reject() {
    // The controller hides the window as its own button would.
    m_controller.ok();
    if (isVisible()) {
        QDialog::reject();
    }
}

void AboutDialog::refresh() {
    const shell::AboutController::View &v = m_controller.view();
    setWindowTitle(fromLatin1(v.title));
    m_productLabel->setText(fromLatin1(v.productLabel));
    m_product->setText(fromLatin1(v.product));
    m_versionLabel->setText(fromLatin1(v.versionLabel));
    m_version->setText(fromLatin1(v.version));
    m_rights->setText(fromLatin1(v.rights));
    m_warning->setText(fromLatin1(v.copyrightWarning));
    m_compatibility->setText(fromLatin1(v.compatibility));
    m_ok->setText(fromLatin1(v.ok));
    m_ok->setAccessibleName(withoutAccessKey(m_ok->text()));
    if (!v.visible && isVisible()) {
        done(QDialog::Accepted);
    }
}

} // namespace aql::ui
