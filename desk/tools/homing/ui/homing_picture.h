// The sequence picture of the homing dialog: a schematic of the search, one of seven drawings
// chosen by the picture number (homeseq::pictureNumber): the axis travel as a line, the home
// switch ORG as a band on it, the encoder's index pulses as ticks below, one arrow per phase
// and the point where the origin is set.
#pragma once

#include <QWidget>

namespace zeq::desk {

class HomingPicture : public QWidget {
    Q_OBJECT
  public:
    explicit HomingPicture(QWidget* parent = nullptr);
    void setPicture(int number);
    int picture() const { return m_number; }
    QSize sizeHint() const override { return {300, 170}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int m_number = 6;
};

}  // namespace zeq::desk
