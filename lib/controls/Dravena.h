#pragma once
// The identity control: shows the library's company, product and copyright
// lines and owns one file object that a host can fetch and use.
#include <QLabel>
#include <QWidget>

#include "controls/ControlTypes.h"
#include "file/FileHandler.h"

namespace korvel::controls {

class Dravena : public QWidget {
    Q_OBJECT
    // A run-time member: form editors neither show it nor store it in a form.
    Q_PROPERTY(korvel::FileHandlerPtr FileHandler READ FileHandler DESIGNABLE false STORED false)

public:
    explicit Dravena(QWidget* parent = nullptr);
    ~Dravena() override;

    // The control's own file object: the same object on every call, created
    // with the control and never opened by it.
    korvel::FileHandlerPtr FileHandler() const { return m_fileHandler; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* AddLabel(const char* name, const QString& caption);
    void LayoutChildren();

    korvel::FileHandlerPtr m_fileHandler;
    QLabel* m_lblManufacturer = nullptr;
    QLabel* m_lblCaption = nullptr;
    QLabel* m_lblCopyright = nullptr;
};

}  // namespace korvel::controls
