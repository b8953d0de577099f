#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Credits; made for one opening.
class AboutFrm : public QDialog
{
    Q_OBJECT
public:
    explicit AboutFrm(QWidget *parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4;
    QPushButton *Command1;
};
