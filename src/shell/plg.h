#pragma once

#include <QWidget>

class QPushButton;

// The control the host places: one button that opens the script editor.
class Plg : public QWidget
{
    Q_OBJECT
public:
    explicit Plg(QWidget *parent = nullptr);
    ~Plg() override;

    QPushButton *Command1;

public slots:
    void Command1_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UserControl_Show();
    void UserControl_Terminate();
};
