#pragma once
// Row order of an interlaced GIF frame: rows 0, 8, 16, ..., then 4, 12, ..., 2, 6, ..., 1, 3, ...

// Walks the rows of an interlaced frame; passes whose first row lies below the frame are skipped.
class TInterlacedRows {
public:
    explicit TInterlacedRows(int height) : FHeight(height) {}
    int Row() const { return FRow; }
    int Pass() const { return FPass; }
    // Continues a walk from a row and pass met before.
    void Seek(int row, int pass) {
        FRow = row;
        FPass = pass;
    }
    // Moves to the next row; false when every row was visited.
    bool Next() {
        FRow += Step();
        while (FRow >= FHeight) {
            if (++FPass > 3) return false;
            FRow = First();
        }
        return true;
    }

private:
    int Step() const { return FPass <= 1 ? 8 : FPass == 2 ? 4 : 2; }
    int First() const { return FPass == 1 ? 4 : FPass == 2 ? 2 : 1; }
    int FHeight;
    int FRow = 0;
    int FPass = 0;
};
