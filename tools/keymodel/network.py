"""The key and harmony network, as train.py trains it and the core runs it (app/core/keymodel).

Inputs per beat frame (INPUTS = 98, in this order): the chord model's 36 frame inputs (each
pitch class's share of the sounding time, its share of the bass time, its presence), then what
the present models say of the frame: its local key (24, one-hot: major 0-11, minor 12-23 by
tonic; zeros outside the local keys), its chord's root (13: 12 pitch classes and no chord), its
quality (13, zeros for no chord) and its bass (12, zeros for no chord).

Layers: conv1 (INPUTS -> channels, width 5, zero padding 2, ReLU), conv2 (channels -> channels,
width 5, padding 2, ReLU), a bidirectional GRU (hidden each way; PyTorch's gate order r, z, n),
then a linear head per task on the two directions' states (forward first). Each head adds
skip[task] times the present model's one-hot of that task, so the network starts from the
present answer and learns where to leave it.
"""

import torch
from torch import nn

FRAME_INPUTS = 36
HEADS = {"key": 24, "root": 13, "quality": 13, "bass": 12}
# Where each head's present one-hot sits in the inputs.
PRESENT = {"key": 36, "root": 60, "quality": 73, "bass": 86}
INPUTS = 98


class KeyHarmonyNet(nn.Module):
    def __init__(self, channels=64, hidden=64, skip=2.0):
        super().__init__()
        self.conv1 = nn.Conv1d(INPUTS, channels, 5, padding=2)
        self.conv2 = nn.Conv1d(channels, channels, 5, padding=2)
        self.gru = nn.GRU(channels, hidden, batch_first=True, bidirectional=True)
        self.heads = nn.ModuleDict({name: nn.Linear(2 * hidden, n) for name, n in HEADS.items()})
        self.skip = nn.Parameter(torch.full((len(HEADS),), float(skip)))

    def forward(self, x):  # x: (batch, frames, INPUTS) -> each head's logits (batch, frames, classes)
        h = torch.relu(self.conv1(x.transpose(1, 2)))
        h = torch.relu(self.conv2(h)).transpose(1, 2)
        h, _ = self.gru(h)
        out = {}
        for i, (name, n) in enumerate(HEADS.items()):
            present = x[..., PRESENT[name]:PRESENT[name] + n]
            out[name] = self.heads[name](h) + self.skip[i] * present
        return out
