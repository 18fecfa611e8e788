// What the browser tests and the latency benchmark share: starting Debian's chromium, waiting
// for a text in the page, and comparing two images pixel by pixel inside the browser.
import puppeteer from 'puppeteer-core';

const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';

// The browser, or null when it cannot start here (not installed, no sandbox support ...).
export async function launchBrowser() {
  try {
    return await puppeteer.launch({
      executablePath: kChromium,
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--no-first-run',
             '--font-render-hinting=none'],
    });
  } catch (error) {
    console.log(`chromium (${kChromium}) did not start: ${error.message.split('\n')[0]}`);
    return null;
  }
}

// Waits until the element matching `selector` holds `text`; false after `milliseconds`.
export async function waitForText(page, selector, text, milliseconds) {
  try {
    await page.waitForFunction(
        (s, t) => document.querySelector(s)?.textContent.includes(t), {timeout: milliseconds},
        selector, text);
    return true;
  } catch {
    return false;
  }
}

// Both PNG images scaled down to 80 x 45 (each pixel the average of a 16-pixel square of a
// 1280 x 720 slide) and compared in the page: the share of squares whose colour differs by more
// than 10 of 255 in some channel, and the mean difference (0..1). Averaging over squares lets
// glyph edges that two renderers place a pixel apart count little, while a missing band, a
// wrong background or a shape out of place changes whole squares.
export async function pixelDifference(page, first, second) {
  const url = (png) => `data:image/png;base64,${Buffer.from(png).toString('base64')}`;
  return page.evaluate(async (a, b) => {
    const load = (source) => new Promise((resolve, reject) => {
      const image = new Image();
      image.onload = () => resolve(image);
      image.onerror = reject;
      image.src = source;
    });
    const pixels = async (source) => {
      const canvas = new OffscreenCanvas(80, 45);
      const context = canvas.getContext('2d');
      context.imageSmoothingQuality = 'high';
      context.drawImage(await load(source), 0, 0, 80, 45);
      return context.getImageData(0, 0, 80, 45).data;
    };
    const [p, q] = [await pixels(a), await pixels(b)];
    let differing = 0;
    let total = 0;
    for (let i = 0; i < p.length; i += 4) {
      let worst = 0;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(p[i + c] - q[i + c]);
        total += d;
        worst = Math.max(worst, d);
      }
      if (worst > 10) ++differing;
    }
    const count = p.length / 4;
    return {differing: differing / count, mean: total / (count * 3 * 255)};
  }, url(first), url(second));
}
