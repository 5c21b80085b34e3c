#include "codecs/picture_turn.h"

namespace tess {

PictureTurn turnOf(QImageIOHandler::Transformations orientation)
{
    const bool mirrored = orientation & QImageIOHandler::TransformationMirror;
    const bool flipped = orientation & QImageIOHandler::TransformationFlip;
    PictureTurn turn;
    turn.transposed = orientation & QImageIOHandler::TransformationRotate90;
    // Turned clockwise, the stored picture's bottom row becomes the upright
    // left column: the lines run backwards unless it was flipped first.
    turn.linesReversed = turn.transposed ? !flipped : flipped;
    turn.alongReversed = mirrored;
    return turn;
}

} // namespace tess
