#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace moravel {

// "Learn to use masks": what the rule editor's help link shows, three examples of masks.
class TfrmMaskHelp final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMaskHelp(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
};

} // namespace moravel
